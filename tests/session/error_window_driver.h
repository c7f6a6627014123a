#pragma once

// Answers the transport's error window from a test: while a request waits on
// the user, a timer finds the visible window named "frmBrowser" and clicks
// the next button of its script ("close" closes it from the frame).

#include <QApplication>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace zemble::test {

class ErrorWindowDriver {
public:
    explicit ErrorWindowDriver(QStringList script = {}) : script_(std::move(script)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }

    // Runs at each visit of the window before its button is clicked.
    std::function<void(QWidget*)> onShown;

    QStringList script_;
    int visits = 0;
    int unexpected = 0;

    static QWidget* visible_window() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("frmBrowser") && w->isVisible())
                return w;
        }
        return nullptr;
    }

private:
    void poll() {
        QWidget* window = visible_window();
        if (!window)
            return;
        ++visits;
        if (script_.isEmpty()) {
            // More visits than the test expected: give up rather than wait.
            ++unexpected;
            script_.append(QStringLiteral("cmdAbort"));
        }
        if (onShown)
            onShown(window);
        const QString action = script_.takeFirst();
        if (action == QLatin1String("close")) {
            window->close();
            return;
        }
        auto* button = window->findChild<QPushButton*>(action);
        QVERIFY2(button, qPrintable(action));
        QTest::mouseClick(button, Qt::LeftButton);
    }

    QTimer timer_;
};

} // namespace zemble::test
