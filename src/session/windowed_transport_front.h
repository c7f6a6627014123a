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

    void requestStarting() override;
    void pageReceived(const QString& page) override;
    FailureChoice requestFailed(const RequestFailure& failure) override;
    void cancel() override;
    void closePages() override;

    // The error window (created on first use; kept for the next error).
    ErrorWindow& errorWindow();

private:
    // Shows the error window until the user chooses; false when Cancel
    // ended the wait.
    bool waitForChoice();
    FailureChoice gatewayRequestFailed(const RequestFailure& failure);

    std::unique_ptr<ErrorWindow> window_;
    QEventLoop* wait_ = nullptr;
    bool cancelled_ = false;
};

} // namespace zemble
