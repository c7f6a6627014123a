#pragma once

#include "session/transport_rules.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <utility>

class QEventLoop;
class QNetworkReply;
class QNetworkRequest;
class QSslConfiguration;
class QTimer;
class QUrl;

namespace zemble {

class TransportFront;
struct RequestFailure;

// What a request brought: whether the page was the one expected (or the
// user chose to take it as such), and the page itself ("" when none came).
struct SiteAnswer {
    bool ok = false;
    QString page;
};

// A request whose body goes as given, with its own type and headers (an SMS
// gateway's).  The headers go only where the body goes: a redirect that
// turns the request into a GET drops both.
struct RawRequest {
    QString address;
    QByteArray body;
    QByteArray contentType;
    QList<std::pair<QByteArray, QByteArray>> headers;
};

// Whether an answer, its HTTP status and its page, is the one expected.
using AnswerCheck = std::function<bool(int status, const QString& page)>;

// One HTTP or HTTPS request at a time for the operator session; when the
// answer is not the page that was expected, its front end decides whether
// the request goes again, counts as done or is given up (the windowed
// program asks the user in its error window).  Cookies live as long as the transport
// (the program keeps one for its whole run); redirects are followed, also from
// HTTPS to HTTP, but a form is never sent on to a less safe address or to
// another host; certificates are always verified against the system's
// authorities plus the PEM file named by the "extracafile" setting, and must
// name their host in subjectAltName.  A form is never sent twice by the
// transport itself: a lost answer goes to the front end.
class Transport : public QObject {
    Q_OBJECT
public:
    explicit Transport(QObject* parent = nullptr);
    ~Transport() override;

    // Requests `URL` ("post" in any letter case sends `args` as a form body,
    // anything else is a GET without body) and checks the page it brings for
    // `resp` ignoring case ("" accepts any page that is not empty).  On a
    // mismatch or a failed request the front end decides: Retry repeats the
    // request, Ignore takes the page as good, Abort gives it up (so does a
    // mismatch without a front end).  Gives up at once, without a page, after
    // cancel().  `sendsText`: the request hands the site a text message to
    // deliver, so when no answer comes back it may have gone.
    SiteAnswer go_site(const QString& URL, const QString& referer, const QString& args,
                       const QString& method, const QString& resp, bool sendsText = false);

    // Posts `request` to an SMS gateway and judges its answer with
    // `accepted`; a failed request goes to the front end as with go_site,
    // marked as the gateway's, `expected` naming what was wanted.  The
    // answer's status is in lastStatus().
    SiteAnswer post(const RawRequest& request, const AnswerCheck& accepted, const QString& expected,
                    bool sendsText);

    // The HTTP status of the last answer; 0 when no answer came.
    int lastStatus() const { return lastStatus_; }
    // Why the last request brought no answer; "" when one came.
    QString lastFailure() const { return lastFailure_; }

    // Shows the pages and decides on failed requests; null for none.  Not
    // owned: it must outlive its use here.
    void setFront(TransportFront* front) { front_ = front; }
    TransportFront* front() const { return front_; }

    // Closes the page display window if one is open (the site's unloadIE).
    void closePageDisplay();

    // The last go_site handed the site a text message and got no answer after
    // the request had left (it failed or was cancelled): the text may have
    // arrived although the site never said so.
    bool mayHaveArrived() const { return mayHaveArrived_; }

    // Ends the request in flight and any wait at once (the front end's too);
    // go_site then returns false, and every later
    // go_site returns false without sending until resetCancel().
    void cancel();
    bool cancelled() const { return cancelled_; }
    void resetCancel() { cancelled_ = false; }

    // Receives the transfer states as "Status: <state>.".
    void setStatusListener(std::function<void(const QString&)> listener);

    // The limits of one request, shortened by tests: the time without
    // progress after which it fails (30 seconds), and the time after which
    // it fails even while the page is still arriving (120 seconds).
    void setRequestTimeout(int milliseconds) { timeoutMs_ = milliseconds; }
    void setRequestDeadline(int milliseconds) { deadlineMs_ = milliseconds; }

    // The status line text of a transfer state code: 3 gives
    // "Status: Connecting.", an unknown code "Status: .".
    static QString statusText(int code);

    static constexpr int kDefaultTimeoutMs = 30000;
    static constexpr int kDefaultDeadlineMs = 120000;
    // A page is cut off at this size rather than read without end.
    static constexpr qint64 kMaxPageBytes = 8 * 1024 * 1024;
    static constexpr auto kUserAgent =
        "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Q312461)";

    enum State {
        Resolving = 1,
        Resolved = 2,
        Connecting = 3,
        Connected = 4,
        Requesting = 5,
        RequestSent = 6,
        Receiving = 7,
        ResponseReceived = 8,
        Disconnecting = 9,
        Disconnected = 10,
        CommunicationError = 11,
        Completed = 12
    };

private:
    // What a POST carries: the bytes, their type, and headers of its own.
    struct Body {
        QByteArray bytes;
        QByteArray contentType;
        QList<std::pair<QByteArray, QByteArray>> headers;
    };

    struct Outcome {
        bool cancelled = false;
        int status = 0;      // the HTTP status of the answer, 0 without one
        bool sent = false;   // the request left before it was cancelled or failed
        bool failed = false; // a run-time failure: no page was received
        int code = 0;
        QString description;
        QString page; // the page that came back, "" when none did
    };

    // One request and its answer, no redirect followed.
    struct Exchange {
        bool cancelled = false;
        bool sent = false;
        int status = 0; // the HTTP status, 0 without an answer
        QString location;
        QByteArray body;
        bool truncated = false;
        bool receiving = false;
        bool unknownIssuer = false; // the certificate chains to no trusted authority
        int code = 0;
        QString failure; // a run-time failure: no page to judge
        void fail(int c, const QString& why) { code = c, failure = why; }
    };

    // The request, redirects followed.
    Outcome perform(const QString& URL, const QString& referer, const Body* body);
    // The request until its answer is accepted or the front end decides.
    SiteAnswer request(const QString& URL, const QString& referer, const Body* body,
                       const AnswerCheck& accepted, const QString& expected, bool sendsText,
                       bool gateway);
    void dropEarlierReply();
    void startDeadline(QTimer& deadline);
    // One exchange with the authorities the trust rule picks, and once more
    // with the system's when the rule says so.
    Exchange exchangeTrusted(const QUrl& address, const QString& referer, const Body* form);
    Outcome outcomeOf(const Exchange& answer);
    // One request and its answer, no redirect followed, in steps.
    Exchange exchange(const QUrl& address, const QString& referer, const Body* form,
                      const QSslConfiguration& tls);
    QNetworkRequest requestFor(const QUrl& address, const QString& referer, const Body* form,
                               const QSslConfiguration& tls) const;
    QNetworkReply* startRequest(const QNetworkRequest& request, const Body* form);
    void watch(QNetworkReply* reply, const QUrl& address, Exchange& answer);
    void waitFor(QNetworkReply* reply);
    void readEnd(QNetworkReply* reply, Exchange& answer) const;
    static RequestFailure failureReport(const QString& URL, const QString& resp,
                                        const Outcome& outcome, bool sendsText, bool gateway);
    void report(int code);

    QNetworkAccessManager manager_;
    QPointer<QNetworkReply> reply_;
    QEventLoop* wait_ = nullptr;
    TransportFront* front_ = nullptr;
    // "host:port" of the sites whose certificates chain to a system authority
    // rather than to one of the "extracafile" setting.
    QSet<QString> systemTrusted_;
    std::function<void(const QString&)> listener_;
    int timeoutMs_ = kDefaultTimeoutMs;
    int deadlineMs_ = kDefaultDeadlineMs;
    bool cancelled_ = false;
    bool overdue_ = false; // the request in flight passed its deadline
    bool mayHaveArrived_ = false;
    int lastStatus_ = 0;
    QString lastFailure_;
};

} // namespace zemble
