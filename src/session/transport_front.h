#pragma once

#include <QString>

namespace zemble {

// A request of the operator session that did not bring the page expected.
struct RequestFailure {
    QString address;  // the address asked for
    QString expected; // the text the page had to hold ("" takes any page that is not empty)
    QString page;     // the page that came back; "" when none did
    int status = 0;   // its HTTP status; 0 when none came back
    // No page came back at all (the connection, the certificate or a
    // redirect failed): `code` and `description` say why.
    bool failed = false;
    int code = 0;
    QString description;
    // The request handed the site a text message to deliver.
    bool sendsText = false;
    // The request went to an SMS gateway, whose reply is the status and the
    // page.
    bool gateway = false;
};

// What becomes of a failed request: sent again, taken as done, or given up.
enum class FailureChoice { Retry, Ignore, Abort };

// What a front end does around the transport's requests: shows the pages to
// a user who watches them, and decides what becomes of a request that
// failed.  The windowed program shows its page display, the "Internal Error"
// box and the error window; zemble-send prints the reason and gives up.
class TransportFront {
public:
    virtual ~TransportFront() = default;
    // Before each request.
    virtual void requestStarting() {}
    // After each request, with the page it brought ("" when none).
    virtual void pageReceived(const QString& page) { (void)page; }
    // A request failed; the answer decides what the transport does next.
    virtual FailureChoice requestFailed(const RequestFailure& failure) = 0;
    // Cancel: a wait for the choice ends at once; its answer no longer counts.
    virtual void cancel() {}
    // The page display, if one is open, closes.
    virtual void closePages() {}
};

} // namespace zemble
