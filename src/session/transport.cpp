#include "session/transport.h"

#include "core/cp1252.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "session/site_settings.h"
#include "session/transport_front.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstring>

namespace zemble {
namespace {

// The address as the request takes it: "https://" (any letter case) selects
// HTTPS, everything else HTTP, also an address without a scheme.
QUrl requestUrl(const QString& address) {
    const QString lower = address.left(8).toLower();
    if (lower.startsWith(QLatin1String("https://")))
        return QUrl(QLatin1String("https://") + address.mid(8));
    const qsizetype schemeEnd = address.indexOf(QLatin1String("://"));
    if (schemeEnd < 0)
        return QUrl(QLatin1String("http://") + address);
    return QUrl(QLatin1String("http://") + address.mid(schemeEnd + 3));
}

// The authorities of the "extracafile" setting, as the file holds them at
// the moment of the request.
QList<QSslCertificate> extraAuthorities() {
    const QString path = get_setting(keys::extraCaFile, "");
    if (path.isEmpty())
        return {};
    return authorityCertificates(path);
}

// Trusts the given authorities, or the system's when there are none.  The
// system's are then looked up by the TLS library as a chain needs them: the
// TLS layer can add authorities to the system's only after reading the whole
// system store, which takes a quarter of a second or more.
QSslConfiguration tlsConfiguration(const QList<QSslCertificate>& authorities) {
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    if (!authorities.isEmpty())
        config.setCaCertificates(authorities);
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    return config;
}

// The certificate chains to no authority that was trusted, and nothing else
// is wrong with it.
bool onlyUnknownIssuer(const QList<QSslError>& errors) {
    static const QList<QSslError::SslError> unknown = {
        QSslError::UnableToGetIssuerCertificate,   QSslError::UnableToGetLocalIssuerCertificate,
        QSslError::UnableToVerifyFirstCertificate, QSslError::SelfSignedCertificate,
        QSslError::SelfSignedCertificateInChain,   QSslError::CertificateUntrusted};
    return !errors.isEmpty() && std::all_of(errors.begin(), errors.end(), [](const QSslError& e) {
        return unknown.contains(e.error());
    });
}

// Whether the certificate names `host` among its subject alternative names.
// Browsers no longer take the subject's common name for the host, and
// neither does the transport.
bool namesHost(const QSslCertificate& certificate, const QString& host) {
    const auto names = certificate.subjectAlternativeNames();
    const QHostAddress address(host);
    if (!address.isNull()) {
        for (const QString& named : names.values(QSsl::IpAddressEntry)) {
            if (QHostAddress(named) == address)
                return true;
        }
        return false;
    }
    const QString wanted = QString::fromLatin1(QUrl::toAce(host)).toLower();
    for (const QString& named : names.values(QSsl::DnsEntry)) {
        const QString name = named.toLower();
        if (name == wanted)
            return true;
        // "*.example.com" stands for exactly one label before "example.com".
        const qsizetype dot = wanted.indexOf(QLatin1Char('.'));
        if (name.startsWith(QLatin1String("*.")) && name.count(QLatin1Char('.')) >= 2 && dot > 0 &&
            QStringView(wanted).mid(dot) == QStringView(name).mid(1))
            return true;
    }
    return false;
}

bool isWebAddress(const QUrl& address) {
    const QString scheme = address.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

int defaultPort(const QUrl& address) {
    return address.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80;
}

// A form body the network layer can read only once.  Qt sends a request
// again on its own when the connection closes before any answer; a body it
// cannot rewind makes that second sending fail instead, so a lost answer
// reaches the user, who decides whether the form goes again.
class FormBody final : public QIODevice {
public:
    FormBody(QByteArray bytes, QObject* parent) : QIODevice(parent), bytes_(std::move(bytes)) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    qint64 size() const override { return bytes_.size(); }
    // Never: the network layer asks only to send the body a second time.
    bool reset() override { return false; }

protected:
    qint64 readData(char* data, qint64 most) override {
        const qint64 count = qMin(most, bytes_.size() - pos());
        std::memcpy(data, bytes_.constData() + pos(), size_t(count));
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
};

// An answer with an HTTP status is a page, whatever the status: the site's
// own error pages are shown and judged by their text.  Failures of the
// connection, the TLS handshake or the redirects are not.
bool isPageError(QNetworkReply::NetworkError error) {
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

void Transport::setStatusListener(std::function<void(const QString&)> listener) {
    listener_ = std::move(listener);
}

QString Transport::statusText(int code) {
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
        listener_(statusText(code));
}

void Transport::closePageDisplay() {
    if (front_)
        front_->closePages();
}

void Transport::cancel() {
    cancelled_ = true;
    if (reply_)
        reply_->abort();
    if (front_)
        front_->cancel();
    if (wait_)
        wait_->quit();
}

Transport::Outcome Transport::perform(const QString& URL, const QString& referer,
                                      const Body* body) {
    // One request at a time: whatever is still running is given up first.
    if (reply_) {
        QNetworkReply* earlier = reply_;
        reply_.clear();
        earlier->abort();
        earlier->deleteLater();
    }

    // The silence limit of each exchange does not end a page that trickles
    // in: the whole request, redirects included, has a deadline of its own.
    overdue_ = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, this, [this] {
        overdue_ = true;
        if (reply_)
            reply_->abort();
    });
    deadline.start(deadlineMs_);

    QUrl address = requestUrl(URL);
    const Body* form = body;
    for (int redirects = 0;; ++redirects) {
        // The system's authorities and the extra ones are both trusted, one
        // set at a time: a site whose certificate chains to none of the extra
        // ones is tried against the system's, before anything was sent, and
        // from then on checked against the system's only.
        const QList<QSslCertificate> extra = extraAuthorities();
        const QString origin =
            address.host().toLower() + u':' + QString::number(address.port(defaultPort(address)));
        const bool extraFirst = !extra.isEmpty() && !systemTrusted_.contains(origin);
        Exchange answer = exchange(address, referer, form,
                                   tlsConfiguration(extraFirst ? extra : QList<QSslCertificate>()));
        if (extraFirst && answer.unknownIssuer && !answer.sent && answer.status == 0) {
            // A connection keeps the authorities it was first made with.
            manager_.clearConnectionCache();
            systemTrusted_.insert(origin);
            answer = exchange(address, referer, form, tlsConfiguration({}));
            if (answer.unknownIssuer)
                systemTrusted_.remove(origin);
        }
        if (answer.cancelled) {
            Outcome outcome;
            outcome.cancelled = true;
            outcome.sent = answer.sent && answer.status == 0;
            return outcome;
        }
        // Redirects are followed as a browser follows them, up to a bound;
        // only to web addresses; and a form sent on with its body (307, 308)
        // goes neither to a less safe address nor to another host.
        static const QList<int> followed = {301, 302, 303, 307, 308};
        if (answer.failure.isEmpty() && followed.contains(answer.status) &&
            !answer.location.isEmpty()) {
            const QUrl target = address.resolved(QUrl(answer.location));
            const bool resent = form && (answer.status == 307 || answer.status == 308);
            const bool lessSafe =
                address.scheme() == QLatin1String("https") &&
                target.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0;
            const bool otherHost =
                address.host().compare(target.host(), Qt::CaseInsensitive) != 0 ||
                address.port(defaultPort(address)) != target.port(defaultPort(target));
            if (!isWebAddress(target)) {
                answer.fail(QNetworkReply::InsecureRedirectError,
                            QStringLiteral("Redirected to an address that is not a web page: ") +
                                target.toString());
            } else if (redirects == kMaxRedirects) {
                answer.fail(QNetworkReply::TooManyRedirectsError,
                            QStringLiteral("Too many redirects (more than %1), the last to ")
                                    .arg(kMaxRedirects) +
                                target.toString());
            } else if (resent && (lessSafe || otherHost)) {
                answer.fail(QNetworkReply::InsecureRedirectError,
                            QStringLiteral("Refused to send the form on to another or less "
                                           "secure address: ") +
                                target.toString());
            } else {
                address = target;
                if (!resent)
                    form = nullptr;
                continue;
            }
        }

        Outcome outcome;
        outcome.status = answer.status;
        if (answer.failure.isEmpty()) {
            report(ResponseReceived);
            report(Completed);
        } else {
            report(CommunicationError);
            outcome.failed = true;
            outcome.sent = answer.sent;
            outcome.code = answer.code;
            outcome.description = answer.failure;
        }
        session().page_text = fromCp1252(answer.body);
        return outcome;
    }
}

Transport::Exchange Transport::exchange(const QUrl& address, const QString& referer,
                                        const Body* form, const QSslConfiguration& tls) {
    QNetworkRequest request(address);
    // The header block: the form type for a POST, the browser's name under
    // the header "HTTP_UserAgent", the referer when there is one.
    if (form) {
        request.setRawHeader("Content-Type", form->contentType);
        for (const auto& [name, value] : form->headers)
            request.setRawHeader(name, value);
    }
    request.setRawHeader("HTTP_UserAgent", kUserAgent);
    if (!referer.isEmpty())
        request.setRawHeader("Referer", toCp1252(referer));
    // The network layer always names an agent; let it name the same browser
    // rather than contradict it.
    request.setRawHeader("User-Agent", kUserAgent);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    // Pages always come uncompressed, as they did to the original transfer
    // component; otherwise the network layer would offer encodings no
    // browser of the site's day knew.
    request.setRawHeader("Accept-Encoding", "identity");
    // The transport follows redirects itself, one exchange at a time.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(timeoutMs_);
    // Also a plain address: a redirect may lead it to HTTPS.
    request.setSslConfiguration(tls);

    report(Connecting);
    QNetworkReply* reply = nullptr;
    if (form) {
        auto* body = new FormBody(form->bytes, this);
        reply = manager_.post(request, body);
        body->setParent(reply);
    } else {
        reply = manager_.get(request);
    }
    reply_ = reply;

    Exchange answer;
    bool receiving = false;
    connect(reply, &QNetworkReply::encrypted, this, [&, reply] {
        // Before anything is sent over the new connection.
        const QSslCertificate certificate = reply->sslConfiguration().peerCertificate();
        if (!namesHost(certificate, address.host())) {
            answer.fail(QNetworkReply::SslHandshakeFailedError,
                        QSslError(QSslError::HostNameMismatch, certificate).errorString());
            reply->abort();
            return;
        }
        report(Connected);
    });
    connect(reply, &QNetworkReply::sslErrors, this, [&](const QList<QSslError>& errors) {
        answer.unknownIssuer = onlyUnknownIssuer(errors);
    });
    connect(reply, &QNetworkReply::requestSent, this, [&, this] {
        answer.sent = true;
        report(RequestSent);
    });
    connect(reply, &QNetworkReply::readyRead, this, [&, reply] {
        if (!receiving) {
            receiving = true;
            report(Receiving);
        }
        if (answer.truncated)
            return;
        answer.body += reply->read(kMaxPageBytes - answer.body.size());
        if (answer.body.size() >= kMaxPageBytes && reply->bytesAvailable() > 0) {
            answer.truncated = true;
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

    if (cancelled_ || reply_ != reply) {
        // Cancelled, or given up for a later request.
        disconnect(reply, nullptr, this, nullptr);
        reply->abort();
        reply->deleteLater();
        if (reply_ == reply)
            reply_.clear();
        answer.cancelled = true;
        return answer;
    }
    if (!answer.truncated && reply->bytesAvailable() > 0)
        answer.body += reply->read(kMaxPageBytes - answer.body.size());

    const QNetworkReply::NetworkError error = reply->error();
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.location = QString::fromUtf8(reply->rawHeader("Location"));
    if (!answer.failure.isEmpty()) {
        // Refused by the transport itself.
    } else if (overdue_) {
        answer.fail(QNetworkReply::TimeoutError,
                    QStringLiteral("The page was still arriving after %1 seconds")
                        .arg(deadlineMs_ / 1000.0));
    } else if (error == QNetworkReply::NoError || answer.truncated ||
               (answer.status > 0 && isPageError(error))) {
        // A page.
    } else if (error == QNetworkReply::OperationCanceledError) {
        // Only the transfer time-out aborts a request the program did not.
        answer.fail(
            QNetworkReply::TimeoutError,
            QStringLiteral("The request timed out after %1 seconds").arg(timeoutMs_ / 1000.0));
    } else if (error == QNetworkReply::ContentReSendError) {
        // The form could not go again after the connection closed.
        answer.fail(QNetworkReply::RemoteHostClosedError,
                    QStringLiteral("The connection closed before the site answered"));
    } else {
        answer.fail(error, reply->errorString());
    }
    reply_.clear();
    disconnect(reply, nullptr, this, nullptr);
    reply->deleteLater();
    return answer;
}

bool Transport::go_site(const QString& URL, const QString& referer, const QString& args,
                        const QString& method, const QString& resp, bool sendsText) {
    const bool post = method.compare(QLatin1String("post"), Qt::CaseInsensitive) == 0;
    Body form;
    if (post) {
        form.bytes = toCp1252(args);
        form.contentType = "application/x-www-form-urlencoded";
    }
    const AnswerCheck pageHolds = [&resp](int, const QString& page) {
        return !page.isEmpty() && page.contains(resp, Qt::CaseInsensitive);
    };
    return request(URL, referer, post ? &form : nullptr, pageHolds, resp, sendsText);
}

bool Transport::post(const RawRequest& request, const AnswerCheck& accepted,
                     const QString& expected, bool sendsText) {
    const Body body{request.body, request.contentType, request.headers};
    return this->request(request.address, QString(), &body, accepted, expected, sendsText, true);
}

bool Transport::request(const QString& URL, const QString& referer, const Body* body,
                        const AnswerCheck& accepted, const QString& expected, bool sendsText,
                        bool gateway) {
    mayHaveArrived_ = false;
    lastStatus_ = 0;
    lastFailure_.clear();
    if (cancelled_)
        return false;
    if (front_)
        front_->requestStarting();

    for (;;) {
        const Outcome outcome = perform(URL, referer, body);
        lastStatus_ = outcome.status;
        lastFailure_ =
            outcome.cancelled ? QStringLiteral("The request was cancelled") : outcome.description;
        // A text whose request left and got no answer may have been taken.
        mayHaveArrived_ = sendsText && outcome.sent;
        if (outcome.cancelled || cancelled_)
            return false;
        const QString& page = session().page_text;
        if (front_)
            front_->pageReceived(page);
        if (!outcome.failed && accepted(outcome.status, page))
            return true;
        if (!front_)
            return false;

        RequestFailure failure;
        failure.address = URL;
        failure.expected = expected;
        failure.page = page;
        failure.status = outcome.status;
        failure.failed = outcome.failed;
        failure.code = outcome.code;
        failure.description = outcome.description;
        failure.sendsText = sendsText;
        failure.gateway = gateway;
        const FailureChoice choice = front_->requestFailed(failure);
        if (cancelled_)
            return false;
        if (choice == FailureChoice::Retry)
            continue;
        return choice == FailureChoice::Ignore;
    }
}

} // namespace zemble
