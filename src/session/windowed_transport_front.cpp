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

ErrorWindow& WindowedTransportFront::error_window() {
    if (!window_)
        window_ = std::make_unique<ErrorWindow>();
    return *window_;
}

void WindowedTransportFront::request_starting() {
    if (setting_is_yes(keys::showIeWindow) && !display().isOpen())
        display().open();
}

void WindowedTransportFront::page_received(const QString& page) {
    if (display().isOpen())
        display().showPage(page);
}

FailureChoice WindowedTransportFront::request_failed(const RequestFailure& failure) {
    cancelled_ = false;
    // Let the user see the page and decide.
    if (!display().isOpen()) {
        display().open();
        display().showPage(failure.page);
    }
    if (failure.failed) {
        platform::message_box(
            QStringLiteral("Internal Error"),
            crlf_lines({QStringLiteral("The following internal error occurred:"), QString(),
                        QStringLiteral("%1 - %2").arg(failure.code).arg(failure.description),
                        QString(),
                        QStringLiteral("It may be possible to continue normally. However it is "
                                       "recommended that you restart Zemble.")}),
            platform::Icon::Critical);
    }
    // Without an answer nobody knows whether the site took the text.
    error_window().show_delivery_warning(failure.sends_text && failure.failed);
    if (cancelled_ || !wait_for_choice())
        return FailureChoice::Abort;
    switch (error_window().error_choice()) {
    case ErrorWindow::Retry:
        display().hide();
        return FailureChoice::Retry;
    case ErrorWindow::Ignore:
        display().hide();
        return FailureChoice::Ignore;
    default:
        close_pages();
        return FailureChoice::Abort;
    }
}

bool WindowedTransportFront::wait_for_choice() {
    ErrorWindow& window = error_window();
    window.reset_choice();
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

void WindowedTransportFront::close_pages() {
    display().close();
}

} // namespace zemble
