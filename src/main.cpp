#include "compose/main_window.h"
#include "core/settings.h"
#include "shell/single_instance.h"
#include "shell/startup.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zemble"));
    // The compose window decides when the program ends (after its quit
    // question and final log-off), not the last window to close.
    QApplication::setQuitOnLastWindowClosed(false);

    // One copy per profile: a second start brings the first one forward.
    const QString profile = QFileInfo(zemble::settingsFilePath()).absolutePath();
    QString problem;
    const QString folder = zemble::SingleInstance::privateFolder(
        profile, qEnvironmentVariable("XDG_RUNTIME_DIR"), &problem);
    if (folder.isEmpty())
        std::fprintf(stderr,
                     "Zemble: no folder of your own for the lock of this profile (%s); starting "
                     "without the check for another copy.\n",
                     qPrintable(problem));
    zemble::SingleInstance only(profile, folder);
    if (!only.claim()) {
        if (only.askRunningCopyToShow())
            return 0;
        std::fputs("Zemble is already running with this profile but does not answer.\n", stderr);
        return 1;
    }

    zemble::Program program;
    program.Main();
    only.setShowHandler([&program] { program.composeWindow()->showFromAnotherStart(); });
    return app.exec();
}
