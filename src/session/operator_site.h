#pragma once

#include <QString>

#include <functional>

namespace zemble {

class TransportFront;

// The operator's web SMS site as the send job uses it: four operations, each
// returning whether it succeeded (or the user chose to ignore an error).
class OperatorSite {
public:
    virtual ~OperatorSite() = default;

    // Log-on, quota and log-off are steps of this carrier's sends.  A
    // carrier without a session (an SMS gateway taking each text in a
    // request of its own) is sent the whole message per recipient.
    virtual bool hasSession() const { return true; }
    // Why a carrier without a session cannot send as it is set up; "" when
    // it can.  (The operator's site settings are checked on their own.)
    virtual QString setupProblem() const { return QString(); }

    virtual bool log_on(const QString& username, const QString& password) = 0;
    virtual bool check_quota() = 0;
    // `paid` is the send method: false for free texts (list index 0).
    virtual bool send_part(const QString& number, const QString& text, bool paid) = 0;
    virtual bool log_off() = 0;

    // Closes the page display window if it is open.
    virtual void unloadIE() = 0;

    // The front end that shows the pages and decides on failed requests
    // (null: a failed request is given up).  Not owned.
    virtual void setFront(TransportFront* front) = 0;
    // The last send_part got no answer after its request had left: the text
    // may have arrived although the site never confirmed it.
    virtual bool mayHaveArrived() const = 0;

    // Cancel from the progress window: ends the request in flight and any
    // wait (the error window's too) at once; every later request fails
    // without being sent until resetCancel().
    virtual void cancel() = 0;
    virtual bool cancelled() const = 0;
    virtual void resetCancel() = 0;

    // Receives the transfer states ("Status: Connecting.").
    virtual void setStatusListener(std::function<void(const QString&)> listener) = 0;
};

} // namespace zemble
