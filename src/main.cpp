#include "core/version.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zemble"));
    // The compose window is not built yet; say so rather than pretend.
    QLabel window(
        QStringLiteral("Zemble is not ready yet: the compose window is still being built."));
    window.setWindowTitle(zemble::window_title());
    window.setMargin(24);
    window.show();
    return app.exec();
}
