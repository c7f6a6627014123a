#include "core/file_save.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace zemble {
namespace {

constexpr QFile::Permissions kOwnerOnlyFile = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions kOwnerOnlyFolder = kOwnerOnlyFile | QFile::ExeOwner;

std::optional<QString> giveUp(QSaveFile& file) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return reason;
}

} // namespace

std::optional<QString> saveFile(const QString& path, QByteArrayView content) {
    QSaveFile file(path);
    // Unbuffered, each write reaches the system at once.  Through a buffer,
    // a write the system takes only in part (the last bytes before a full
    // disk) would be reported with no reason at all.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    // The new file would otherwise take the old one's mode, or the umask's.
    if (!file.setPermissions(kOwnerOnlyFile))
        return giveUp(file);
    qsizetype written = 0;
    while (written < content.size()) {
        // After a write taken in part, the one for the rest is refused with
        // the system's reason (no space left, file too large).
        const qint64 taken = file.write(content.data() + written, content.size() - written);
        if (taken <= 0)
            return giveUp(file);
        written += taken;
    }
    if (!file.flush())
        return giveUp(file);
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

bool makePrivateFolder(const QString& path) {
    const QFileInfo folder(path);
    if (folder.isDir())
        return true;
    const QString parent = folder.absolutePath();
    if (parent != folder.absoluteFilePath() && !makePrivateFolder(parent))
        return false;
    return QDir().mkdir(folder.absoluteFilePath(), kOwnerOnlyFolder) ||
           QDir(folder.absoluteFilePath()).exists();
}

} // namespace zemble
