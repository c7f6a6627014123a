#pragma once

#include "session/carrier.h"

#include <QString>

#include <functional>

namespace zemble {

class TransportFront;

// The operator's web SMS site as the send job and its windows use it: the
// carrier's four operations, and what the windows need around them.
class OperatorSite : public Carrier {
public:
    // Closes the page display window if it is open.
    virtual void unloadIE() = 0;

    // The front end that shows the pages and decides on failed requests
    // (null: a failed request is given up).  Not owned.
    virtual void setFront(TransportFront* front) = 0;

    // Cancel from the progress window: ends the request in flight and any
    // wait (the error window's too) at once; every later request fails
    // without being sent until resetCancel().
    virtual void cancel() = 0;
    virtual void resetCancel() = 0;

    // Receives the transfer states ("Status: Connecting.").
    virtual void setStatusListener(std::function<void(const QString&)> listener) = 0;
};

} // namespace zemble
