#pragma once

#include "session/transport_front.h"

#include <QEventLoop>

#include <memory>

namespace zemble {

class ErrorWindow;

// The windowed program's front end of the transport: the page display window
// (opened for every request when "showiewindow" is on, and on every failed
// one), the "Internal Error" box when no page came back, and the error window
// where the user chooses Retry, Ignore Error or Abort All.
class WindowedTransportFront final : public TransportFront {
public:
    WindowedTransportFront();
    ~WindowedTransportFront() override;

    void request_starting() override;
    void page_received(const QString& page) override;
    FailureChoice request_failed(const RequestFailure& failure) override;
    void cancel() override;
    void close_pages() override;

    // The error window (created on first use; kept for the next error).
    ErrorWindow& error_window();

private:
    // Shows the error window until the user chooses; false when Cancel
    // ended the wait.
    bool wait_for_choice();

    std::unique_ptr<ErrorWindow> window_;
    QEventLoop* wait_ = nullptr;
    bool cancelled_ = false;
};

} // namespace zemble
