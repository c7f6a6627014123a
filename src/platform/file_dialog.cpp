#include "platform/file_dialog.h"

#include "platform/service.h"

#include <QApplication>
#include <QFileDialog>
#include <QStringList>

namespace zemble::platform {
namespace {

class DesktopFileDialog final : public FileDialogService {
public:
    QString openFile(const QString& title, const QString& filters) override {
        return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, QString(),
                                            qtFilterList(filters));
    }
    QString saveFile(const QString& title, const QString& filters) override {
        return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, QString(),
                                            qtFilterList(filters));
    }
};

} // namespace

FileDialogService& FileDialogService::real() {
    static DesktopFileDialog service;
    return service;
}

QString qtFilterList(const QString& filters) {
    const QStringList pieces = filters.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
        // Qt reads the patterns from the description's brackets; keep the
        // description and put the pattern there when it does not show it.
        const QString& description = pieces[i];
        QString pattern = pieces[i + 1];
        pattern.replace(u';', u' ');
        out.append(description.contains(u'(')
                       ? description
                       : QStringLiteral("%1 (%2)").arg(description, pattern));
    }
    return out.join(QStringLiteral(";;"));
}

QString chooseOpenFile(const QString& title, const QString& filters) {
    return use<FileDialogService>().openFile(title, filters);
}

QString chooseSaveFile(const QString& title, const QString& filters) {
    return use<FileDialogService>().saveFile(title, filters);
}

} // namespace zemble::platform
