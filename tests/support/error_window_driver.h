#pragma once

#include <QtTest>
#include <QtWidgets>

#include <functional>

namespace zemble::test {

// Answers the transport's error window ("frmBrowser") from a script of
// button names, "close" closing it from its frame; past the script, Abort All.
class ErrorWindowDriver {
public:
    explicit ErrorWindowDriver(QStringList script = {}) : script(std::move(script)) {
        QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
        timer.start(10);
    }
    // The error window while it is shown, else null.
    static QWidget* shown() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmBrowser") && w->isVisible())
                return w;
        return nullptr;
    }

    QStringList script;
    int visits = 0;
    std::function<void()> onShown; // each time the window is found up, before a button is pressed

private:
    void poll() {
        QWidget* window = shown();
        if (!window)
            return;
        ++visits;
        if (onShown)
            onShown();
        const QString action = script.isEmpty() ? QStringLiteral("cmdAbort") : script.takeFirst();
        action == QLatin1String("close")
            ? void(window->close())
            : QTest::mouseClick(window->findChild<QPushButton*>(action), Qt::LeftButton);
    }
    QTimer timer;
};

} // namespace zemble::test
