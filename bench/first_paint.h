#pragma once

// Runs the event loop until `window` has been painted once, then leaves it:
// the end point of the start-up benchmarks' child processes.

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace zemble::bench {

class FirstPaint final : public QObject {
public:
    explicit FirstPaint(QWidget* window) : window_(window) { window->installEventFilter(this); }
    bool painted() const { return painted_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    QWidget* window_;
    bool painted_ = false;
};

// 0 once the window has been painted; 1 when it was not within 20 seconds.
inline int runUntilFirstPaint(QWidget* window) {
    FirstPaint paint(window);
    QTimer::singleShot(20000, qApp, &QCoreApplication::quit);
    if (!paint.painted())
        QApplication::exec();
    if (!paint.painted())
        std::fprintf(stderr, "the window was never painted\n");
    return paint.painted() ? 0 : 1;
}

// The headless platform warns about every window it cannot size or raise;
// keep the figures readable.
inline void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtWarningMsg || !text.startsWith(QLatin1String("This plugin does not support")))
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

} // namespace zemble::bench
