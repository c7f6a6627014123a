#include "shell/startup.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zemble"));
    // The compose window decides when the program ends (after its quit
    // question and final log-off), not the last window to close.
    QApplication::setQuitOnLastWindowClosed(false);
    zemble::Program program;
    program.Main();
    return app.exec();
}
