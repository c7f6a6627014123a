#pragma once

#include <QString>

namespace zemble {

// What a send job hands its texts to.  The operator's web SMS site keeps a
// portal session: the job logs on before the texts, reads the quota and logs
// off after them.  A carrier without a session (a gateway that takes each
// text in a request of its own) skips those three steps; the job's loop over
// recipients and parts is the same for both.
class Carrier {
public:
    virtual ~Carrier() = default;

    // Log-on, quota and log-off are steps of this carrier's sends.
    virtual bool hasSession() const { return true; }
    // Why a carrier without a session cannot send as it is set up; "" when
    // it can.  (The operator's site settings are checked on their own.)  Such
    // a carrier is sent the whole message once per recipient, and cuts it
    // into texts itself.
    virtual QString setupProblem() const { return QString(); }

    // Each returns whether it succeeded (or the user chose to ignore an error).
    virtual bool log_on(const QString& username, const QString& password) = 0;
    virtual bool check_quota() = 0;
    // `paid` is the send method: false for free texts (list index 0).
    virtual bool send_part(const QString& number, const QString& text, bool paid) = 0;
    virtual bool log_off() = 0;

    // The last send_part got no answer after its request had left: the text
    // may have arrived although the carrier never confirmed it.
    virtual bool mayHaveArrived() const = 0;
    // Cancel was pressed: every later request fails without being sent.
    virtual bool cancelled() const = 0;
};

} // namespace zemble
