#include "session/transport.h"

#include "core/cp1252.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "platform/message_box.h"
#include "platform/page_display.h"
#include "platform/service.h"
#include "session/browser_window.h"

#include <QEventLoop>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QUrl>

namespace zemble {
namespace {

platform::PageDisplayService& display() {
    return platform::use<platform::PageDisplayService>();
}

// The address as the request takes it: "https://" (any letter case) selects
// HTTPS, everything else HTTP, also an address without a scheme.
QUrl request_url(const QString& address) {
    const QString lower = address.left(8).toLower();
    if (lower.startsWith(QLatin1String("https://")))
        return QUrl(QLatin1String("https://") + address.mid(8));
    const qsizetype scheme_end = address.indexOf(QLatin1String("://"));
    if (scheme_end < 0)
        return QUrl(QLatin1String("http://") + address);
    return QUrl(QLatin1String("http://") + address.mid(scheme_end + 3));
}

// The system's authorities plus those of the "extracafile" setting, read
// at the moment of the request.
QSslConfiguration tls_configuration() {
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    // Reading the system's store takes long; it is read once per run.
    static const QList<QSslCertificate> system_authorities =
        QSslConfiguration::systemCaCertificates();
    QList<QSslCertificate> authorities = system_authorities;
    const QString extra = get_setting(QString::fromLatin1(keys::extraCaFile), "");
    if (!extra.isEmpty())
        authorities += QSslCertificate::fromPath(extra, QSsl::Pem,
                                                 QSslCertificate::PatternSyntax::FixedString);
    config.setCaCertificates(authorities);
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    return config;
}

// An answer with an HTTP status is a page, whatever the status: the site's
// own error pages are shown and judged by their text.  Failures of the
// connection, the TLS handshake or the redirects are not.
bool is_page_error(QNetworkReply::NetworkError error) {
    return error > QNetworkReply::UnknownProxyError;
}

} // namespace

Transport::Transport(QObject* parent) : QObject(parent) {
    manager_.setCookieJar(new QNetworkCookieJar(&manager_));
    manager_.setRedirectPolicy(QNetworkRequest::UserVerifiedRedirectPolicy);
}

Transport::~Transport() {
    if (reply_) {
        reply_->abort();
        delete reply_.data();
    }
}

void Transport::set_status_listener(std::function<void(const QString&)> listener) {
    listener_ = std::move(listener);
}

BrowserWindow& Transport::error_window() {
    if (!window_)
        window_ = std::make_unique<BrowserWindow>();
    return *window_;
}

QString Transport::status_text(int code) {
    static const char* const names[] = {"",
                                        "Resolving host",
                                        "Resolved",
                                        "Connecting",
                                        "Connected",
                                        "Requesting",
                                        "Request sent",
                                        "Receiving response",
                                        "Response received",
                                        "Disconnecting",
                                        "Disconnected",
                                        "Communication error",
                                        "Completed"};
    const char* name = (code >= 0 && code <= Completed) ? names[code] : "";
    return QLatin1String("Status: ") + QLatin1String(name) + QLatin1Char('.');
}

void Transport::report(int code) {
    if (listener_)
        listener_(status_text(code));
}

void Transport::unloadIE() {
    display().close();
}

void Transport::cancel() {
    cancelled_ = true;
    if (reply_)
        reply_->abort();
    if (window_)
        window_->hide();
    if (wait_)
        wait_->quit();
}

Transport::Outcome Transport::perform(const QString& URL, const QString& referer,
                                      const QString& args, bool post) {
    // One request at a time: whatever is still running is given up first.
    if (reply_) {
        QNetworkReply* earlier = reply_;
        reply_.clear();
        earlier->abort();
        earlier->deleteLater();
    }

    QNetworkRequest request(request_url(URL));
    // The header block: the form type for a POST, the browser's name under
    // the header "HTTP_UserAgent", the referer when there is one.
    if (post)
        request.setRawHeader("Content-Type", "application/x-www-form-urlencoded");
    request.setRawHeader("HTTP_UserAgent", kUserAgent);
    if (!referer.isEmpty())
        request.setRawHeader("Referer", to_cp1252(referer));
    // The network layer always names an agent; let it name the same browser
    // rather than contradict it.
    request.setRawHeader("User-Agent", kUserAgent);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    // Pages always come uncompressed, as they did to the original transfer
    // component; otherwise the network layer would offer encodings no
    // browser of the site's day knew.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setTransferTimeout(timeout_ms_);
    // Also a plain address: a redirect may lead it to HTTPS.
    request.setSslConfiguration(tls_configuration());

    report(Connecting);
    QNetworkReply* reply = post ? manager_.post(request, to_cp1252(args)) : manager_.get(request);
    reply_ = reply;

    QByteArray body;
    bool truncated = false;
    bool receiving = false;
    bool bad_redirect = false;
    connect(reply, &QNetworkReply::redirected, this, [&, reply](const QUrl& target) {
        // A browser follows redirects, also from HTTPS to HTTP; the hop count
        // is bounded by the request.  Only web addresses are followed.
        const QString scheme = target.scheme().toLower();
        if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
            emit reply->redirectAllowed();
        } else {
            bad_redirect = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::encrypted, this, [this] { report(Connected); });
    connect(reply, &QNetworkReply::requestSent, this, [this] { report(RequestSent); });
    connect(reply, &QNetworkReply::readyRead, this, [&, reply] {
        if (!receiving) {
            receiving = true;
            report(Receiving);
        }
        if (truncated)
            return;
        body += reply->read(kMaxPageBytes - body.size());
        if (body.size() >= kMaxPageBytes && reply->bytesAvailable() > 0) {
            truncated = true;
            reply->abort();
        }
    });

    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QEventLoop* outer = wait_;
    wait_ = &loop;
    if (!reply->isFinished())
        loop.exec();
    wait_ = outer;

    Outcome outcome;
    if (cancelled_ || reply_ != reply) {
        // Cancelled, or given up for a later request.
        disconnect(reply, nullptr, this, nullptr);
        reply->abort();
        reply->deleteLater();
        if (reply_ == reply)
            reply_.clear();
        outcome.cancelled = true;
        return outcome;
    }
    if (!truncated && reply->bytesAvailable() > 0)
        body += reply->read(kMaxPageBytes - body.size());

    const QNetworkReply::NetworkError error = reply->error();
    const bool has_status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    if (!bad_redirect &&
        (error == QNetworkReply::NoError || truncated || (has_status && is_page_error(error)))) {
        report(ResponseReceived);
        report(Completed);
    } else {
        report(CommunicationError);
        outcome.failed = true;
        if (bad_redirect) {
            outcome.code = QNetworkReply::InsecureRedirectError;
            outcome.description = QStringLiteral("Redirected to an address that is not a web page");
        } else if (error == QNetworkReply::OperationCanceledError) {
            // Only the transfer time-out aborts a request the program did not.
            outcome.code = QNetworkReply::TimeoutError;
            outcome.description =
                QStringLiteral("The request timed out after %1 seconds").arg(timeout_ms_ / 1000.0);
        } else {
            outcome.code = error;
            outcome.description = reply->errorString();
        }
    }
    session().page_text = from_cp1252(body);
    reply_.clear();
    disconnect(reply, nullptr, this, nullptr);
    reply->deleteLater();
    return outcome;
}

bool Transport::wait_for_choice() {
    BrowserWindow& window = error_window();
    window.reset_choice();
    window.show();
    window.raise();
    window.activateWindow();
    session().session_password.clear();

    QEventLoop loop;
    const auto connection = connect(&window, &BrowserWindow::choiceMade, &loop, &QEventLoop::quit);
    QEventLoop* outer = wait_;
    wait_ = &loop;
    if (!cancelled_ && window.error_choice() == BrowserWindow::None)
        loop.exec();
    wait_ = outer;
    disconnect(connection);
    window.hide();
    return !cancelled_;
}

bool Transport::go_site(const QString& URL, const QString& referer, const QString& args,
                        const QString& method, const QString& resp) {
    if (cancelled_)
        return false;
    if (setting_is_yes(QStringLiteral("showiewindow")) && !display().isOpen())
        display().open();
    const bool post = method.compare(QLatin1String("post"), Qt::CaseInsensitive) == 0;

    for (;;) {
        const Outcome outcome = perform(URL, referer, args, post);
        if (outcome.cancelled || cancelled_)
            return false;
        const QString& page = session().page_text;
        if (display().isOpen())
            display().showPage(page);
        if (!outcome.failed && !page.isEmpty() && page.contains(resp, Qt::CaseInsensitive))
            return true;

        // Error path: let the user see the page and decide.
        if (!display().isOpen()) {
            display().open();
            display().showPage(page);
        }
        if (outcome.failed) {
            platform::message_box(
                QStringLiteral("Internal Error"),
                platform::crlf_lines(
                    {QStringLiteral("The following internal error occurred:"), QString(),
                     QStringLiteral("%1 - %2").arg(outcome.code).arg(outcome.description),
                     QString(),
                     QStringLiteral("It may be possible to continue normally. However it is "
                                    "recommended that you restart Zemble.")}),
                platform::Icon::Critical);
        }
        if (cancelled_ || !wait_for_choice())
            return false;
        switch (error_window().error_choice()) {
        case BrowserWindow::Retry:
            display().hide();
            continue;
        case BrowserWindow::Ignore:
            display().hide();
            return true;
        default:
            unloadIE();
            return false;
        }
    }
}

} // namespace zemble
