#pragma once

#include "core/settings.h"

#include <QTemporaryDir>

namespace zemble::test {

// Points the settings store at an empty file of its own for one test.
class TempSettings {
public:
    TempSettings() { setSettingsFilePath(dir.filePath(QStringLiteral("Zemble.ini"))); }
    ~TempSettings() { setSettingsFilePath({}); }
    TempSettings(const TempSettings&) = delete;
    TempSettings& operator=(const TempSettings&) = delete;

    QString path() const { return dir.filePath(QStringLiteral("Zemble.ini")); }
    QTemporaryDir dir;
};

} // namespace zemble::test
