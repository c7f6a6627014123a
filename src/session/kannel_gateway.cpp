#include "session/kannel_gateway.h"

#include "core/settings.h"
#include "core/sms_segments.h"
#include "session/transport_front.h"

#include <QUrl>

namespace zemble {
namespace {

bool holdsLineBreak(const QString& value) {
    return value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n'));
}

const QString kAccepted = QStringLiteral("0: Accepted for delivery");
const QString kQueued = QStringLiteral("3: Queued for later delivery");

} // namespace

GatewayAccount gatewayAccountFromSettings(const QString& password) {
    GatewayAccount account;
    account.url = readSetting(setting::gatewayUrl).trimmed();
    account.username = readSetting(setting::gatewayUsername);
    account.password = password;
    account.sender = readSetting(setting::gatewaySender).trimmed();
    account.smsc = readSetting(setting::gatewaySmsc).trimmed();
    return account;
}

QString KannelGateway::accountProblem(const GatewayAccount& account) {
    const QUrl url(account.url.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (account.url.trimmed().isEmpty())
        return QStringLiteral("no gateway address is set");
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return QStringLiteral("the gateway address must be an http:// or https:// address");
    for (const QString* value :
         {&account.username, &account.password, &account.sender, &account.smsc}) {
        if (holdsLineBreak(*value))
            return QStringLiteral("the gateway's user name, password, sender and SMS centre "
                                  "cannot hold a line break");
    }
    return QString();
}

std::optional<QString> KannelGateway::gatewayNumber(const QString& number) {
    QString digits;
    for (const QChar c : number) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t'))
            continue;
        const bool plus = c == QLatin1Char('+') && digits.isEmpty();
        if (!plus && !(c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return std::nullopt;
        digits += c;
    }
    if (digits.isEmpty() || digits == QLatin1String("+"))
        return std::nullopt;
    return digits;
}

QString KannelGateway::sendsmsAddress(const QString& url) {
    QUrl address(url.trimmed());
    address.setUserInfo(QString());
    if (address.path().isEmpty() || address.path() == QLatin1String("/"))
        address.setPath(QStringLiteral("/cgi-bin/sendsms"));
    return address.toString(QUrl::FullyEncoded);
}

bool KannelGateway::fitsGsmAlphabet(const QString& text) {
    return countSmsSegments(text).coding == SmsCoding::Gsm7;
}

RawRequest KannelGateway::request(const GatewayAccount& account, const QString& number,
                                  const QString& text) {
    RawRequest request;
    request.address = sendsmsAddress(account.url);
    // The text is the body, in UTF-8 as its type says; the gateway turns it
    // into the coding asked for.
    request.body = text.toUtf8();
    request.contentType = "text/plain; charset=UTF-8";
    request.headers = {
        {"X-Kannel-Username", account.username.toUtf8()},
        {"X-Kannel-Password", account.password.toUtf8()},
        {"X-Kannel-To", number.toUtf8()},
        {"X-Kannel-Coding", fitsGsmAlphabet(text) ? "0" : "2"},
    };
    if (!account.sender.isEmpty())
        request.headers.append({"X-Kannel-From", account.sender.toUtf8()});
    if (!account.smsc.isEmpty())
        request.headers.append({"X-Kannel-SMSC", account.smsc.toUtf8()});
    return request;
}

int KannelGateway::textCount(const QString& message) {
    return countSmsSegments(message).parts;
}

QString KannelGateway::confirmationText(qsizetype recipients, const QString& message) {
    const QString prefix = QStringLiteral("The following message was sent to ") +
                           QString::number(recipients) + QStringLiteral(" recipient") +
                           (recipients == 1 ? QString() : QStringLiteral("s")) +
                           QStringLiteral(": ");
    // As much of the message as fits in one text with the prefix.
    QString text = prefix + message.left(160);
    while (text.size() > prefix.size() && textCount(text) > 1)
        text.chop(1);
    return text;
}

bool KannelGateway::accepted(int status, const QString& page) {
    return status == 202 && (page.startsWith(kAccepted) || page.startsWith(kQueued));
}

QString KannelGateway::replyText(int status, const QString& page) {
    QString body;
    body.reserve(qMin<qsizetype>(page.size(), kMaxReplyChars));
    bool blank = false;
    for (const QChar c : page) {
        // One line of plain characters: control characters, line breaks and
        // the marks that change the direction of text are blanks here.
        const bool space = c.isSpace() || c.category() == QChar::Other_Control ||
                           c.category() == QChar::Other_Format;
        if (space) {
            blank = !body.isEmpty();
            continue;
        }
        if (blank)
            body += QLatin1Char(' ');
        blank = false;
        body += c;
        if (body.size() > kMaxReplyChars)
            break;
    }
    QString text = QString::number(status);
    if (!body.isEmpty())
        text += QLatin1Char(' ') + body;
    if (text.size() > kMaxReplyChars)
        text = text.left(kMaxReplyChars - 3) + QStringLiteral("...");
    return text;
}

bool KannelGateway::notSent() {
    // The front end hears of it as of a request that brought no answer:
    // Ignore goes on without this text, Retry finds the same problem.
    TransportFront* front = transport_.front();
    while (front && !transport_.cancelled()) {
        RequestFailure failure;
        failure.address = sendsmsAddress(account_.url);
        failure.failed = true;
        failure.description = reply_.text;
        failure.gateway = true;
        const FailureChoice choice = front->requestFailed(failure);
        if (transport_.cancelled() || choice == FailureChoice::Abort)
            return false;
        if (choice == FailureChoice::Ignore)
            return true;
    }
    return false;
}

bool KannelGateway::send_text(const QString& number, const QString& text) {
    reply_ = GatewayReply();
    if (const QString problem = accountProblem(account_); !problem.isEmpty()) {
        reply_.text = QStringLiteral("Nothing was sent: ") + problem + QLatin1Char('.');
        return notSent();
    }
    const std::optional<QString> to = gatewayNumber(number);
    if (!to) {
        reply_.text = QStringLiteral("Nothing was sent: '") + number +
                      QStringLiteral("' is not a phone number.");
        return notSent();
    }

    const SiteAnswer answer =
        transport_.post(request(account_, *to, text), &KannelGateway::accepted, kAccepted, true);
    const bool done = answer.ok;
    const int status = transport_.lastStatus();
    const QString& page = answer.page;
    if (status > 0 && !transport_.mayHaveArrived()) {
        reply_.status = status;
        reply_.outcome = accepted(status, page) ? GatewayOutcome::Sent : GatewayOutcome::Rejected;
        reply_.text = replyText(status, page);
    } else {
        reply_.outcome =
            transport_.mayHaveArrived() ? GatewayOutcome::MayHaveArrived : GatewayOutcome::Failed;
        reply_.text = transport_.lastFailure();
        if (reply_.text.isEmpty() && transport_.cancelled())
            reply_.text = QStringLiteral("The request was cancelled");
    }
    return done;
}

} // namespace zemble
