#include "session/operator_protocol.h"

#include "core/session_state.h"
#include "core/settings.h"
#include "session/form_text.h"

namespace zemble {
namespace {

QString host(const char* key, const char* fallback) {
    return get_setting(QString::fromLatin1(key), fallback);
}

QString portal_host() {
    return host(keys::portalHost, kDefaultPortalHost);
}
QString shop_host() {
    return host(keys::shopHost, kDefaultShopHost);
}
QString sms_host() {
    return host(keys::smsHost, kDefaultSmsHost);
}
QString web_host() {
    return host(keys::webHost, kDefaultWebHost);
}

QString mblogin_address() {
    return QLatin1String("https://") + portal_host() + QLatin1String("/login/mblogin");
}
QString bglogin_address() {
    return QLatin1String("https://") + shop_host() + QLatin1String("/login/bglogin");
}
QString home_page_address() {
    return QLatin1String("http://") + sms_host() +
           QLatin1String("/webOriginate/action/viewHomePage");
}
QString send_message_address() {
    return QLatin1String("http://") + sms_host() +
           QLatin1String("/webOriginate/action/sendMessage");
}
QString web_address(const char* path) {
    return QLatin1String("http://") + web_host() + QLatin1String(path);
}

const QString kEndOfValue = QStringLiteral("\">");
const QString kRemaining = QStringLiteral(" TXT remaining");

} // namespace

OperatorProtocol::OperatorProtocol() = default;

QString OperatorProtocol::hidden_field_marker(const QString& field) {
    QString marker = QLatin1String("input type=\"hidden\" name=\"") + field + QLatin1Char('"');
    while (marker.size() < 39)
        marker += QLatin1Char(' ');
    return marker + QLatin1String("value=\"");
}

bool OperatorProtocol::log_on(const QString& username, const QString& password) {
    // Portal login: its answer carries the hidden fields of the next step.
    transport_.go_site(mblogin_address(), web_address(""),
                       QLatin1String("username=") + convert_text(username) +
                           QLatin1String("&password=") + convert_text(password) +
                           QLatin1String("&dest=http%3A%2F%2F") + web_host() +
                           QLatin1String("%2F0%2C%2C899%2C00.html"),
                       QStringLiteral("POST"), QStringLiteral("<title>BackGround Login</title>"));

    const QString page = session().page_text;
    QString data = QStringLiteral("data=");
    bool first = true;
    for (const char* field : {"firstname", "username", "dest", "mID", "mAT", "QE3"}) {
        const QString name = QString::fromLatin1(field);
        const QString value = text_between(page, hidden_field_marker(name), kEndOfValue);
        if (!first)
            data += QLatin1Char('&');
        first = false;
        data += name + QLatin1Char('=') + convert_text(value);
    }
    transport_.go_site(bglogin_address(), mblogin_address(), data, QStringLiteral("POST"),
                       web_address("/0,,899,00.html"));

    return transport_.go_site(home_page_address(), bglogin_address(), QString(),
                              QStringLiteral("GET"), QString());
}

qint16 OperatorProtocol::free_quota_of(const QString& page) {
    const QString figure =
        text_between(page, QStringLiteral("Use free TXT - you have "), kRemaining);
    return figure.isEmpty() ? qint16(-1) : figure_from_text(figure);
}

qint16 OperatorProtocol::paid_quota_of(const QString& page) {
    // The paid figure only counts after the first "TXT remaining".
    const qsizetype rest = page.indexOf(QLatin1String("TXT remaining"), 0, Qt::CaseInsensitive);
    if (rest < 0)
        return -1;
    const QString figure =
        text_between(page.mid(rest), QStringLiteral("Use paid TXT - you have "), kRemaining);
    return figure.isEmpty() ? qint16(-1) : figure_from_text(figure);
}

bool OperatorProtocol::check_quota() {
    const bool ok = transport_.go_site(home_page_address(), send_message_address(), QString(),
                                       QStringLiteral("get"), QString());
    if (transport_.cancelled())
        return ok;
    SessionState& state = session();
    state.quota_free = free_quota_of(state.page_text);
    state.quota_paid = paid_quota_of(state.page_text);
    save_settings({{keys::quotaLeft, QString::number(state.quota_free)},
                   {keys::paidQuotaLeft, QString::number(state.quota_paid)}});
    return ok;
}

QString OperatorProtocol::send_form(const QString& number, const QString& text, bool paid) {
    const QString to = convert_text(number);
    return QLatin1String("contacts=&msisdns=") + to + QLatin1String("&to=") + to +
           (paid ? QLatin1String("&subject=&howtosend=paidtxt&message=")
                 : QLatin1String("&subject=&howtosend=freetxt&message=")) +
           convert_text(text) + QLatin1String("&replyType=none&x=14&y=13");
}

bool OperatorProtocol::send_part(const QString& number, const QString& text, bool paid) {
    return transport_.go_site(send_message_address(), home_page_address(),
                              send_form(number, text, paid), QStringLiteral("post"),
                              QStringLiteral("Your message has been sent successfully"), true);
}

bool OperatorProtocol::log_off() {
    return transport_.go_site(web_address("/logout.html"), web_address("/0,,400,00.html"),
                              QString(), QStringLiteral("post"), QString());
}

} // namespace zemble
