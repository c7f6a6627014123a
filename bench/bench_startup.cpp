// Start-up to a shown compose window (splash switched off), beside the same
// measurement for a bare Qt main window.  Both run in this one process after
// QApplication exists, so the figures compare the program's own start-up
// work with what any Qt window costs on this machine.
//
//   QT_QPA_PLATFORM=offscreen ./bench_startup [rounds]

#include "compose/main_window.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "shell/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// The headless platform warns about every window it cannot size or raise;
// keep the figures readable.
void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtWarningMsg || !text.startsWith(QLatin1String("This plugin does not support")))
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

struct Figures {
    double median = 0;
    double best = 0;
};

Figures measure(int rounds, const std::function<QWidget*()>& start,
                const std::function<void()>& finish) {
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        QWidget* shown = start();
        if (!QTest::qWaitForWindowExposed(shown)) {
            std::fprintf(stderr, "window not exposed\n");
            std::exit(1);
        }
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
        finish();
        QCoreApplication::processEvents();
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front()};
}

} // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zemble"));
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;

    QTemporaryDir dir;
    zemble::setSettingsFilePath(dir.filePath(QStringLiteral("Zemble.ini")));
    zemble::save_setting(QStringLiteral("hidesplashscreen"), QStringLiteral("yes"));
    const QString contacts = dir.path();

    std::unique_ptr<QMainWindow> bare;
    const Figures plain = measure(
        rounds,
        [&] {
            bare = std::make_unique<QMainWindow>();
            bare->setWindowTitle(QStringLiteral("bare"));
            bare->show();
            bare->repaint();
            return bare.get();
        },
        [&] { bare.reset(); });

    std::unique_ptr<zemble::Program> program;
    const Figures zemble = measure(
        rounds,
        [&] {
            zemble::session() = zemble::SessionState{};
            program = std::make_unique<zemble::Program>(contacts);
            program->Main();
            return static_cast<QWidget*>(program->composeWindow());
        },
        [&] { program.reset(); });

    std::printf("start-up to a shown window, %d rounds, platform %s\n", rounds,
                qPrintable(QGuiApplication::platformName()));
    std::printf("  bare Qt main window : median %8.2f ms  best %8.2f ms\n", plain.median,
                plain.best);
    std::printf("  Zemble compose      : median %8.2f ms  best %8.2f ms\n", zemble.median,
                zemble.best);
    std::printf("  ratio (median)      : %.1fx\n", zemble.median / plain.median);
    zemble::setSettingsFilePath({});
    return 0;
}
