#include "session/transport.h"

#include "core/cp1252.h"
#include "core/settings.h"
#include "session/site_settings.h"
#include "session/transport_front.h"
#include "session/transport_rules.h"

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
    const QString path = readSetting(setting::extraCaFile);
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

void Transport::dropEarlierReply() {
    if (!reply_)
        return;
    QNetworkReply* earlier = reply_;
    reply_.clear();
    earlier->abort();
    earlier->deleteLater();
}

// The silence limit of each exchange does not end a page that trickles in:
// the whole request, redirects included, has a deadline of its own.
void Transport::startDeadline(QTimer& deadline) {
    overdue_ = false;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, this, [this] {
        overdue_ = true;
        if (reply_)
            reply_->abort();
    });
    deadline.start(deadlineMs_);
}

Transport::Outcome Transport::perform(const QString& URL, const QString& referer,
                                      const Body* body) {
    // One request at a time: whatever is still running is given up first.
    dropEarlierReply();
    QTimer deadline;
    startDeadline(deadline);
    QUrl address = requestUrl(URL);
    const Body* form = body;
    for (int redirects = 0;; ++redirects) {
        Exchange answer = exchangeTrusted(address, referer, form);
        if (answer.cancelled) {
            Outcome outcome;
            outcome.cancelled = true;
            outcome.sent = answer.sent && answer.status == 0;
            return outcome;
        }
        if (answer.failure.isEmpty()) {
            const RedirectStep step =
                redirectStep(address, answer.status, answer.location, form != nullptr, redirects);
            if (step.kind == RedirectStep::Follow) {
                address = step.target;
                if (!step.keepsForm)
                    form = nullptr;
                continue;
            }
            if (step.kind == RedirectStep::Refuse)
                answer.fail(step.fault.code, step.fault.description);
        }
        return outcomeOf(answer);
    }
}

Transport::Exchange Transport::exchangeTrusted(const QUrl& address, const QString& referer,
                                               const Body* form) {
    // A site whose certificate chains to none of the extra authorities is
    // tried against the system's, before anything was sent, and from then on
    // checked against the system's only.
    const QList<QSslCertificate> extra = extraAuthorities();
    const QString origin =
        address.host().toLower() + u':' + QString::number(address.port(defaultPort(address)));
    const bool extraFirst =
        extraAuthoritiesFirst(!extra.isEmpty(), systemTrusted_.contains(origin));
    Exchange answer = exchange(address, referer, form,
                               tlsConfiguration(extraFirst ? extra : QList<QSslCertificate>()));
    if (!tryAgainWithSystemAuthorities(extraFirst, answer.unknownIssuer, answer.sent,
                                       answer.status))
        return answer;
    // A connection keeps the authorities it was first made with.
    manager_.clearConnectionCache();
    systemTrusted_.insert(origin);
    answer = exchange(address, referer, form, tlsConfiguration({}));
    if (answer.unknownIssuer)
        systemTrusted_.remove(origin);
    return answer;
}

Transport::Outcome Transport::outcomeOf(const Exchange& answer) {
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
    outcome.page = fromCp1252(answer.body);
    return outcome;
}

QNetworkRequest Transport::requestFor(const QUrl& address, const QString& referer, const Body* form,
                                      const QSslConfiguration& tls) const {
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
    return request;
}

QNetworkReply* Transport::startRequest(const QNetworkRequest& request, const Body* form) {
    report(Connecting);
    if (!form)
        return manager_.get(request);
    auto* body = new FormBody(form->bytes, this);
    QNetworkReply* reply = manager_.post(request, body);
    body->setParent(reply);
    return reply;
}

void Transport::watch(QNetworkReply* reply, const QUrl& address, Exchange& answer) {
    connect(reply, &QNetworkReply::encrypted, this, [&, reply, address] {
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
        if (!answer.receiving) {
            answer.receiving = true;
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
}

void Transport::waitFor(QNetworkReply* reply) {
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QEventLoop* outer = wait_;
    wait_ = &loop;
    if (!reply->isFinished())
        loop.exec();
    wait_ = outer;
}

void Transport::readEnd(QNetworkReply* reply, Exchange& answer) const {
    if (!answer.truncated && reply->bytesAvailable() > 0)
        answer.body += reply->read(kMaxPageBytes - answer.body.size());
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.location = QString::fromUtf8(reply->rawHeader("Location"));
    // A failure the transport found itself (a certificate for another host)
    // stands.
    if (!answer.failure.isEmpty())
        return;
    ReplyEnd end;
    end.error = reply->error();
    end.errorText = reply->errorString();
    end.status = answer.status;
    end.truncated = answer.truncated;
    end.overdue = overdue_;
    end.timeoutMs = timeoutMs_;
    end.deadlineMs = deadlineMs_;
    if (const std::optional<RequestFault> fault = failureOf(end))
        answer.fail(fault->code, fault->description);
}

Transport::Exchange Transport::exchange(const QUrl& address, const QString& referer,
                                        const Body* form, const QSslConfiguration& tls) {
    QNetworkReply* reply = startRequest(requestFor(address, referer, form, tls), form);
    reply_ = reply;
    Exchange answer;
    watch(reply, address, answer);
    waitFor(reply);
    const bool givenUp = cancelled_ || reply_ != reply; // cancelled, or for a later request
    if (givenUp) {
        disconnect(reply, nullptr, this, nullptr);
        reply->abort();
    } else {
        readEnd(reply, answer);
    }
    answer.cancelled = givenUp;
    if (reply_ == reply)
        reply_.clear();
    disconnect(reply, nullptr, this, nullptr);
    reply->deleteLater();
    return answer;
}

SiteAnswer Transport::go_site(const QString& URL, const QString& referer, const QString& args,
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
    return request(URL, referer, post ? &form : nullptr, pageHolds, resp, sendsText, false);
}

SiteAnswer Transport::post(const RawRequest& request, const AnswerCheck& accepted,
                           const QString& expected, bool sendsText) {
    const Body body{request.body, request.contentType, request.headers};
    return this->request(request.address, QString(), &body, accepted, expected, sendsText, true);
}

SiteAnswer Transport::request(const QString& URL, const QString& referer, const Body* body,
                              const AnswerCheck& accepted, const QString& expected, bool sendsText,
                              bool gateway) {
    mayHaveArrived_ = false;
    lastStatus_ = 0;
    lastFailure_.clear();
    if (cancelled_)
        return {};
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
            return {};
        const QString& page = outcome.page;
        if (front_)
            front_->pageReceived(page);
        if (!outcome.failed && accepted(outcome.status, page))
            return {true, page};
        if (!front_)
            return {false, page};
        const FailureChoice choice =
            front_->requestFailed(failureReport(URL, expected, outcome, sendsText, gateway));
        if (cancelled_)
            return {};
        if (choice != FailureChoice::Retry)
            return {choice == FailureChoice::Ignore, page};
    }
}

RequestFailure Transport::failureReport(const QString& URL, const QString& resp,
                                        const Outcome& outcome, bool sendsText, bool gateway) {
    RequestFailure failure;
    failure.address = URL;
    failure.expected = resp;
    failure.page = outcome.page;
    failure.failed = outcome.failed;
    failure.code = outcome.code;
    failure.description = outcome.description;
    failure.sendsText = sendsText;
    failure.gateway = gateway;
    failure.status = outcome.status;
    return failure;
}

} // namespace zemble
