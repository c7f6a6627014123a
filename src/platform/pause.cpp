#include "platform/pause.h"

#include "platform/service.h"

#include <QCoreApplication>
#include <QThread>

namespace zemble::platform {
namespace {

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

void pause_blocking(int milliseconds) {
    use<PauseService>().block(milliseconds);
}

void pause_after_events(int milliseconds) {
    use<PauseService>().processEventsThenBlock(milliseconds);
}

} // namespace zemble::platform
