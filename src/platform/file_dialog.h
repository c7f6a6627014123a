#pragma once

#include <QString>

namespace zemble::platform {

// File choosers.  Filters are given as description and pattern pairs joined
// by "|": "Comma separated files (*.csv)|*.csv".  An empty result means the
// user cancelled.
class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    // Accepts only an existing file.
    virtual QString openFile(const QString& title, const QString& filters) = 0;
    // No read-only option is offered; the first pair is selected.
    virtual QString saveFile(const QString& title, const QString& filters) = 0;
    static FileDialogService& real();
};

// "Text documents (*.txt)|*.txt|All files (*.*)|*.*" as Qt's ";;" filter list.
QString qtFilterList(const QString& filters);

QString chooseOpenFile(const QString& title, const QString& filters);
QString chooseSaveFile(const QString& title, const QString& filters);

} // namespace zemble::platform
