// Whole-process start-up: from launching a program to its first window being
// shown and the program gone again, for Zemble's start-up (splash switched
// off) and for a bare Qt main window.  Each round starts a fresh process, so
// library loading, the platform plug-in and fonts are in both figures.
//
//   QT_QPA_PLATFORM=offscreen ./bench_startup_process [rounds]

#include "compose/main_window.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "shell/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtWarningMsg || !text.startsWith(QLatin1String("This plugin does not support")))
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

// One child run: show the window, wait until it is exposed, leave.
int child(int argc, char* argv[], bool zemble) {
    qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    if (!zemble) {
        QMainWindow window;
        window.setWindowTitle(QStringLiteral("bare"));
        window.show();
        return QTest::qWaitForWindowExposed(&window) ? 0 : 1;
    }
    QTemporaryDir dir;
    zemble::setSettingsFilePath(dir.filePath(QStringLiteral("Zemble.ini")));
    zemble::save_setting(QStringLiteral("hidesplashscreen"), QStringLiteral("yes"));
    zemble::Program program(dir.path());
    program.Main();
    return QTest::qWaitForWindowExposed(program.composeWindow()) ? 0 : 1;
}

double median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 &&
        (qstrcmp(argv[1], "--child-bare") == 0 || qstrcmp(argv[1], "--child-zemble") == 0))
        return child(argc, argv, qstrcmp(argv[1], "--child-zemble") == 0);

    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    std::vector<double> bare, zemble;
    for (int i = 0; i < rounds; ++i) {
        for (const bool z : {false, true}) {
            QProcess process;
            process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            QElapsedTimer clock;
            clock.start();
            process.start(QCoreApplication::applicationFilePath(),
                          {z ? QStringLiteral("--child-zemble") : QStringLiteral("--child-bare")});
            if (!process.waitForFinished(30000) || process.exitCode() != 0) {
                std::fprintf(stderr, "child run failed\n");
                return 1;
            }
            (z ? zemble : bare).push_back(double(clock.nsecsElapsed()) / 1e6);
        }
    }
    std::printf("process start to shown window and exit, %d rounds each\n", rounds);
    std::printf("  bare Qt main window : median %8.1f ms\n", median(bare));
    std::printf("  Zemble compose      : median %8.1f ms\n", median(zemble));
    std::printf("  ratio (median)      : %.2f\n", median(zemble) / median(bare));
    return 0;
}
