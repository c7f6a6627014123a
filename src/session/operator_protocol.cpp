#include "session/operator_protocol.h"

#include "core/session_state.h"
#include "core/settings.h"
#include "session/form_text.h"

namespace zemble {
namespace {

QString portalHost() {
    return readSetting(setting::portalHost);
}
QString shopHost() {
    return readSetting(setting::shopHost);
}
QString smsHost() {
    return readSetting(setting::smsHost);
}
QString webHost() {
    return readSetting(setting::webHost);
}

QString mbloginAddress() {
    return QLatin1String("https://") + portalHost() + QLatin1String("/login/mblogin");
}
QString bgloginAddress() {
    return QLatin1String("https://") + shopHost() + QLatin1String("/login/bglogin");
}
QString homePageAddress() {
    return QLatin1String("http://") + smsHost() +
           QLatin1String("/webOriginate/action/viewHomePage");
}
QString sendMessageAddress() {
    return QLatin1String("http://") + smsHost() + QLatin1String("/webOriginate/action/sendMessage");
}
QString webAddress(const char* path) {
    return QLatin1String("http://") + webHost() + QLatin1String(path);
}

const QString kEndOfValue = QStringLiteral("\">");
const QString kRemaining = QStringLiteral(" TXT remaining");

} // namespace

OperatorProtocol::OperatorProtocol(SessionState& state) : state_(state) {}

QString OperatorProtocol::hiddenFieldMarker(const QString& field) {
    QString marker = QLatin1String("input type=\"hidden\" name=\"") + field + QLatin1Char('"');
    while (marker.size() < 39)
        marker += QLatin1Char(' ');
    return marker + QLatin1String("value=\"");
}

bool OperatorProtocol::log_on(const QString& username, const QString& password) {
    // Portal login: its answer carries the hidden fields of the next step.
    // Whatever it brought, the next step goes with the fields found on it.
    const QString page =
        transport_
            .go_site(mbloginAddress(), webAddress(""),
                     QLatin1String("username=") + convert_text(username) +
                         QLatin1String("&password=") + convert_text(password) +
                         QLatin1String("&dest=http%3A%2F%2F") + webHost() +
                         QLatin1String("%2F0%2C%2C899%2C00.html"),
                     QStringLiteral("POST"), QStringLiteral("<title>BackGround Login</title>"))
            .page;
    QString data = QStringLiteral("data=");
    bool first = true;
    for (const char* field : {"firstname", "username", "dest", "mID", "mAT", "QE3"}) {
        const QString name = QString::fromLatin1(field);
        const QString value = text_between(page, hiddenFieldMarker(name), kEndOfValue);
        if (!first)
            data += QLatin1Char('&');
        first = false;
        data += name + QLatin1Char('=') + convert_text(value);
    }
    transport_.go_site(bgloginAddress(), mbloginAddress(), data, QStringLiteral("POST"),
                       webAddress("/0,,899,00.html"));

    return transport_
        .go_site(homePageAddress(), bgloginAddress(), QString(), QStringLiteral("GET"), QString())
        .ok;
}

qint16 OperatorProtocol::freeQuotaOf(const QString& page) {
    const QString figure =
        text_between(page, QStringLiteral("Use free TXT - you have "), kRemaining);
    return figure.isEmpty() ? qint16(-1) : figureFromText(figure);
}

qint16 OperatorProtocol::paidQuotaOf(const QString& page) {
    // The paid figure only counts after the first "TXT remaining".
    const qsizetype rest = page.indexOf(QLatin1String("TXT remaining"), 0, Qt::CaseInsensitive);
    if (rest < 0)
        return -1;
    const QString figure =
        text_between(page.mid(rest), QStringLiteral("Use paid TXT - you have "), kRemaining);
    return figure.isEmpty() ? qint16(-1) : figureFromText(figure);
}

bool OperatorProtocol::check_quota() {
    const SiteAnswer answer = transport_.go_site(homePageAddress(), sendMessageAddress(), QString(),
                                                 QStringLiteral("get"), QString());
    if (transport_.cancelled())
        return answer.ok;
    state_.quota_free = freeQuotaOf(answer.page);
    state_.quota_paid = paidQuotaOf(answer.page);
    saveSettings({{keys::quotaLeft, QString::number(state_.quota_free)},
                  {keys::paidQuotaLeft, QString::number(state_.quota_paid)}});
    return answer.ok;
}

bool OperatorProtocol::readQuota(QString* page) {
    // Both figures end in this text.
    const SiteAnswer answer = transport_.go_site(homePageAddress(), sendMessageAddress(), QString(),
                                                 QStringLiteral("get"), kRemaining.trimmed());
    if (page)
        *page = answer.page;
    if (!answer.ok || transport_.cancelled())
        return false;
    const qint16 free = freeQuotaOf(answer.page);
    const qint16 paid = paidQuotaOf(answer.page);
    if (free < 0 && paid < 0)
        return false;
    state_.quota_free = free;
    state_.quota_paid = paid;
    saveSettings(
        {{keys::quotaLeft, QString::number(free)}, {keys::paidQuotaLeft, QString::number(paid)}});
    return true;
}

QString OperatorProtocol::sendForm(const QString& number, const QString& text, bool paid) {
    const QString to = convert_text(number);
    return QLatin1String("contacts=&msisdns=") + to + QLatin1String("&to=") + to +
           (paid ? QLatin1String("&subject=&howtosend=paidtxt&message=")
                 : QLatin1String("&subject=&howtosend=freetxt&message=")) +
           convert_text(text) + QLatin1String("&replyType=none&x=14&y=13");
}

bool OperatorProtocol::send_part(const QString& number, const QString& text, bool paid) {
    return transport_
        .go_site(sendMessageAddress(), homePageAddress(), sendForm(number, text, paid),
                 QStringLiteral("post"), QStringLiteral("Your message has been sent successfully"),
                 true)
        .ok;
}

bool OperatorProtocol::log_off() {
    return transport_
        .go_site(webAddress("/logout.html"), webAddress("/0,,400,00.html"), QString(),
                 QStringLiteral("post"), QString())
        .ok;
}

} // namespace zemble
