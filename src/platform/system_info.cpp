#include "platform/system_info.h"

#include "platform/service.h"

#include <QProcess>
#include <QStandardPaths>

namespace zemble::platform {
namespace {

class DesktopSystemInfo final : public SystemInfoService {
public:
    bool startTool() override {
        // Try every installed tool in turn: one that is on the PATH but
        // cannot start (a broken install) must not hide the next.
        for (const SystemInfoTool& tool : installedSystemInfoTools()) {
            if (QProcess::startDetached(tool.program, tool.arguments))
                return true;
        }
        return false;
    }
};

} // namespace

QList<SystemInfoTool> systemInfoTools() {
    return {
        {QStringLiteral("hardinfo2"), {}},
        {QStringLiteral("hardinfo"), {}},
        {QStringLiteral("kinfocenter"), {}},
        {QStringLiteral("gnome-control-center"), {QStringLiteral("info-overview")}},
        {QStringLiteral("lshw-gtk"), {}},
    };
}

QList<SystemInfoTool> installedSystemInfoTools(const QStringList& folders) {
    QList<SystemInfoTool> found;
    for (SystemInfoTool tool : systemInfoTools()) {
        const QString path = QStandardPaths::findExecutable(tool.program, folders);
        if (path.isEmpty())
            continue;
        tool.program = path;
        found.append(tool);
    }
    return found;
}

SystemInfoService& SystemInfoService::real() {
    static DesktopSystemInfo service;
    return service;
}

bool startSystemInfoTool() {
    return use<SystemInfoService>().startTool();
}

} // namespace zemble::platform
