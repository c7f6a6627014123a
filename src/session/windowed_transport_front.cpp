#include "session/windowed_transport_front.h"

#include "core/session_state.h"
#include "core/settings.h"
#include "platform/message_box.h"
#include "platform/page_display.h"
#include "platform/service.h"
#include "session/error_window.h"

namespace zemble {
namespace {

platform::PageDisplayService& display() {
    return platform::use<platform::PageDisplayService>();
}

} // namespace

WindowedTransportFront::WindowedTransportFront() = default;
WindowedTransportFront::~WindowedTransportFront() = default;

ErrorWindow& WindowedTransportFront::errorWindow() {
    if (!window_)
        window_ = std::make_unique<ErrorWindow>();
    return *window_;
}

void WindowedTransportFront::requestStarting() {
    if (readSetting(setting::showIeWindow) && !display().isOpen())
        display().open();
}

void WindowedTransportFront::pageReceived(const QString& page) {
    if (display().isOpen())
        display().showPage(page);
}

FailureChoice WindowedTransportFront::requestFailed(const RequestFailure& failure) {
    cancelled_ = false;
    // Let the user see the page and decide.
    if (!display().isOpen()) {
        display().open();
        display().showPage(failure.page);
    }
    if (failure.failed) {
        platform::messageBox(
            QStringLiteral("Internal Error"),
            crlfLines({QStringLiteral("The following internal error occurred:"), QString(),
                       QStringLiteral("%1 - %2").arg(failure.code).arg(failure.description),
                       QString(),
                       QStringLiteral("It may be possible to continue normally. However it is "
                                      "recommended that you restart Zemble.")}),
            platform::Icon::Critical);
    }
    // Without an answer nobody knows whether the site took the text.
    errorWindow().showDeliveryWarning(failure.sendsText && failure.failed);
    if (cancelled_ || !waitForChoice())
        return FailureChoice::Abort;
    switch (errorWindow().error_choice()) {
    case ErrorWindow::Retry:
        display().hide();
        return FailureChoice::Retry;
    case ErrorWindow::Ignore:
        display().hide();
        return FailureChoice::Ignore;
    default:
        closePages();
        return FailureChoice::Abort;
    }
}

bool WindowedTransportFront::waitForChoice() {
    ErrorWindow& window = errorWindow();
    window.resetChoice();
    window.show();
    window.raise();
    window.activateWindow();
    session().session_password.clear();

    QEventLoop loop;
    const auto connection =
        QObject::connect(&window, &ErrorWindow::choiceMade, &loop, &QEventLoop::quit);
    QEventLoop* outer = wait_;
    wait_ = &loop;
    if (!cancelled_ && window.error_choice() == ErrorWindow::None)
        loop.exec();
    wait_ = outer;
    QObject::disconnect(connection);
    window.hide();
    return !cancelled_;
}

void WindowedTransportFront::cancel() {
    cancelled_ = true;
    if (window_)
        window_->hide();
    if (wait_)
        wait_->quit();
}

void WindowedTransportFront::closePages() {
    display().close();
}

} // namespace zemble
