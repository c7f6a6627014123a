#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace zemble::platform {

// One desktop tool that shows what the machine is made of, and how to start it.
struct SystemInfoTool {
    QString program;
    QStringList arguments;
};

// The tools looked for, most specific first: hardinfo2 and hardinfo (system
// profilers), kinfocenter (KDE Info Center), gnome-control-center on its
// "About" panel, and lshw-gtk (hardware lister).
QList<SystemInfoTool> systemInfoTools();

// The tools of that list installed in the given folders (the PATH when the
// list is empty), in the order of the list, each with its full program path.
QList<SystemInfoTool> installedSystemInfoTools(const QStringList& folders = {});

// Starts the desktop's system information tool.
class SystemInfoService {
public:
    virtual ~SystemInfoService() = default;
    // False when no tool is installed or none of them could be started.
    virtual bool startTool() = 0;
    static SystemInfoService& real();
};

bool startSystemInfoTool();

} // namespace zemble::platform
