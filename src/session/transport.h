#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QEventLoop;
class QNetworkReply;

namespace zemble {

class BrowserWindow;

// One HTTP or HTTPS request at a time for the operator session, with the
// error window that lets the user retry, ignore or give up when the answer is
// not the page that was expected.  Cookies live as long as the transport
// (the program keeps one for its whole run); redirects are followed, also from
// HTTPS to HTTP; certificates are always verified against the system's
// authorities plus the PEM file named by the "extracafile" setting.
class Transport : public QObject {
    Q_OBJECT
public:
    explicit Transport(QObject* parent = nullptr);
    ~Transport() override;

    // Requests `URL` ("post" in any letter case sends `args` as a form body,
    // anything else is a GET without body) and checks the page, now in
    // session().page_text, for `resp` ignoring case ("" accepts any page that
    // is not empty).  On a mismatch or a failed request the error window asks
    // the user: Retry repeats the request, Ignore Error returns true, Abort
    // All returns false.  Returns false at once after cancel().
    bool go_site(const QString& URL, const QString& referer, const QString& args,
                 const QString& method, const QString& resp);

    // Closes the page display window if one is open.
    void unloadIE();

    // Ends the request in flight and any wait at once (the error window is
    // hidden without a choice); go_site then returns false, and every later
    // go_site returns false without sending until reset_cancel().
    void cancel();
    bool cancelled() const { return cancelled_; }
    void reset_cancel() { cancelled_ = false; }

    // Receives the transfer states as "Status: <state>.".
    void set_status_listener(std::function<void(const QString&)> listener);

    // Time without progress after which a request fails (30 seconds).
    void set_request_timeout(int milliseconds) { timeout_ms_ = milliseconds; }
    int request_timeout() const { return timeout_ms_; }

    // The error window (created on first use; kept for the next error).
    BrowserWindow& error_window();

    // The status line text of a transfer state code: 3 gives
    // "Status: Connecting.", an unknown code "Status: .".
    static QString status_text(int code);

    static constexpr int kDefaultTimeoutMs = 30000;
    static constexpr int kMaxRedirects = 10;
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
    struct Outcome {
        bool cancelled = false;
        bool failed = false; // a run-time failure: no page was received
        int code = 0;
        QString description;
    };

    Outcome perform(const QString& URL, const QString& referer, const QString& args, bool post);
    void report(int code);
    bool wait_for_choice();

    QNetworkAccessManager manager_;
    QPointer<QNetworkReply> reply_;
    QEventLoop* wait_ = nullptr;
    std::unique_ptr<BrowserWindow> window_;
    std::function<void(const QString&)> listener_;
    int timeout_ms_ = kDefaultTimeoutMs;
    bool cancelled_ = false;
};

} // namespace zemble
