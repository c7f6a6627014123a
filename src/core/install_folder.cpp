#include "core/install_folder.h"

#include <QFileInfo>

namespace zemble {

QString installFolder() {
    return QStringLiteral(ZEMBLE_INSTALL_BINDIR);
}

bool isInstallFolder(const QString& folder, const QString& installed) {
    if (folder.isEmpty() || installed.isEmpty())
        return false;
    // Both must exist to be compared by what they are, not by how they are
    // written; a folder that does not exist holds no program.
    const QString actual = QFileInfo(folder).canonicalFilePath();
    return !actual.isEmpty() && actual == QFileInfo(installed).canonicalFilePath();
}

} // namespace zemble
