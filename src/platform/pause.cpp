#include "platform/pause.h"

#include "platform/service.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>
#include <QWindow>

namespace zemble::platform {
namespace {

// How long a window may take to reach the screen.
constexpr int kExposeWaitMs = 1000;

class ThreadPause final : public PauseService {
public:
    void block(int milliseconds) override {
        if (milliseconds > 0)
            QThread::msleep(static_cast<unsigned long>(milliseconds));
    }
    void processEventsThenBlock(int milliseconds) override {
        QCoreApplication::processEvents();
        block(milliseconds);
    }
};

} // namespace

PauseService& PauseService::real() {
    static ThreadPause service;
    return service;
}

void pauseBlocking(int milliseconds) {
    use<PauseService>().block(milliseconds);
}

void pauseAfterEvents(int milliseconds) {
    use<PauseService>().processEventsThenBlock(milliseconds);
}

void paintNow(QWidget* window) {
    const auto exposed = [window] {
        return window->windowHandle() && window->windowHandle()->isExposed();
    };
    QElapsedTimer waited;
    waited.start();
    constexpr auto flags = QEventLoop::ExcludeUserInputEvents;
    while (window->isVisible() && !exposed() && waited.elapsed() < kExposeWaitMs) {
        QCoreApplication::processEvents(flags);
        if (!exposed())
            QThread::msleep(5);
    }
    window->repaint();
    // Hands the painted window to the window system now, not after the pause.
    QCoreApplication::processEvents(flags);
}

} // namespace zemble::platform
