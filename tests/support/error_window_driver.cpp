#include "support/error_window_driver.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QWidget>

namespace zemble::test {

ErrorWindowDriver::ErrorWindowDriver(QStringList script) : script(std::move(script)) {
    QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
    timer.start(10);
}

QWidget* ErrorWindowDriver::shown() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("frmBrowser") && w->isVisible())
            return w;
    }
    return nullptr;
}

void ErrorWindowDriver::poll() {
    QWidget* window = shown();
    if (!window)
        return;
    ++visits;
    if (onShown)
        onShown();
    const QString action = script.isEmpty() ? QStringLiteral("cmdAbort") : script.takeFirst();
    if (action == QLatin1String("close"))
        return (void)window->close();
    QTest::mouseClick(window->findChild<QPushButton*>(action), Qt::LeftButton);
}

} // namespace zemble::test
