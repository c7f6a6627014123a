#include "site.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>

namespace opsim {

namespace {

QByteArray page(const QString& title, const QString& bodyHtml) {
    return toCp1252(QStringLiteral("<html>\r\n<head>\r\n<title>") + title +
                    QStringLiteral("</title>\r\n</head>\r\n<body>\r\n") + bodyHtml +
                    QStringLiteral("\r\n</body>\r\n</html>\r\n"));
}

Response pageResponse(const QString& title, const QString& bodyHtml, int status = 200) {
    Response r;
    r.status = status;
    r.body = page(title, bodyHtml);
    return r;
}

Response methodNotAllowed(const QByteArray& allowed) {
    Response r = pageResponse(QStringLiteral("Method not allowed"),
                              QStringLiteral("<p>This page only answers %1 requests.</p>")
                                  .arg(QString::fromLatin1(allowed)),
                              405);
    r.extraHeaders.append({"Allow", allowed});
    return r;
}

QString randomHex(int bytes) {
    QByteArray raw(bytes, Qt::Uninitialized);
    for (char& c : raw)
        c = char(QRandomGenerator::global()->bounded(256));
    return QString::fromLatin1(raw.toHex());
}

QString randomBase64(int bytes) {
    QByteArray raw(bytes, Qt::Uninitialized);
    for (char& c : raw)
        c = char(QRandomGenerator::global()->bounded(256));
    return QString::fromLatin1(raw.toBase64());
}

// One hidden input in the portal's layout: the part up to `value="` is
// padded with spaces to 39 characters after the field name's quote.
QString hiddenInput(const QString& name, const QString& shownValue) {
    QString head = QStringLiteral("input type=\"hidden\" name=\"") + name + QLatin1Char('"');
    while (head.size() < 39)
        head += QLatin1Char(' ');
    return QLatin1Char('<') + head + QStringLiteral("value=\"") + shownValue +
           QStringLiteral("\">\r\n");
}

QString loginFailedPage() {
    return QStringLiteral("<h1>Log in</h1>\r\n<p>Sorry, the username or password you entered "
                          "is not correct. Please try again.</p>");
}

Response notLoggedIn() {
    return pageResponse(QStringLiteral("O2 - Please log in"),
                        QStringLiteral("<p>You are not logged in. Please log in to use "
                                       "send TXT.</p>"));
}

Response notSent(const QString& why) {
    return pageResponse(QStringLiteral("O2 - Send TXT"),
                        QStringLiteral("<p class=\"error\">Sorry, your message could not be "
                                       "sent: ") +
                            htmlEscape(why) + QStringLiteral("</p>"));
}

} // namespace

bool parseAccount(const QString& text, Account* out, QString* why) {
    const QStringList parts = text.split(QLatin1Char(';'));
    if (parts.size() != 5) {
        *why = QStringLiteral("an account needs five fields user;password;firstname;free;paid");
        return false;
    }
    bool okFree = false;
    bool okPaid = false;
    Account a{parts[0], parts[1], parts[2], parts[3].trimmed().toInt(&okFree),
              parts[4].trimmed().toInt(&okPaid)};
    if (a.user.isEmpty()) {
        *why = QStringLiteral("an account needs a user name");
        return false;
    }
    if (!okFree || !okPaid || a.free < 0 || a.paid < 0) {
        *why = QStringLiteral("quotas must be whole numbers of 0 or more");
        return false;
    }
    *out = a;
    return true;
}

const Account* Site::account(const QString& user) const {
    const auto it = accounts.constFind(user);
    return it == accounts.constEnd() ? nullptr : &it.value();
}

bool Site::setQuota(const QString& user, int free, int paid) {
    const auto it = accounts.find(user);
    if (it == accounts.end() || free < 0 || paid < 0)
        return false;
    it->free = free;
    it->paid = paid;
    return true;
}

Response Site::wrongPage() {
    return pageResponse(QStringLiteral("O2 - Service notice"),
                        QStringLiteral("<p>This service is not available at the moment. "
                                       "Please come back later.</p>"));
}

Response Site::handle(const Request& request, bool https) {
    const QByteArray path = request.path();
    if (https) {
        if (path == "/login/mblogin")
            return portalLogin(request);
        if (path == "/login/bglogin")
            return backgroundLogin(request);
    } else {
        if (path == "/0,,899,00.html")
            return destPage(request);
        if (path == "/webOriginate/action/viewHomePage")
            return homePage(request);
        if (path == "/webOriginate/action/sendMessage")
            return sendMessage(request);
        if (path == "/logout.html")
            return logOut(request);
        if (path == "/")
            return pageResponse(QStringLiteral("O2 - Home"),
                                QStringLiteral("<p>Welcome to O2. Log in to send TXT.</p>"));
        if (path == "/0,,400,00.html")
            return pageResponse(QStringLiteral("O2 - My O2"),
                                QStringLiteral("<p>My O2: your account at a glance.</p>"));
    }
    return pageResponse(QStringLiteral("Not found"),
                        QStringLiteral("<p>The page you asked for does not exist.</p>"), 404);
}

Response Site::portalLogin(const Request& request) {
    if (request.method != "POST")
        return methodNotAllowed("POST");
    const QList<FormField> form = parseForm(request.body);
    bool hasUser = false;
    bool hasPassword = false;
    const QString user = formValue(form, QStringLiteral("username"), &hasUser);
    const QString password = formValue(form, QStringLiteral("password"), &hasPassword);
    const Account* a = account(user);
    if (!hasUser || !hasPassword || !a || a->password != password)
        return pageResponse(QStringLiteral("O2 - Login failed"), loginFailedPage());

    const QString mID = randomHex(8).toUpper();
    PendingLogin login;
    login.user = a->user;
    login.firstName = htmlEscape(a->firstName);
    login.shownUser = htmlEscape(a->user);
    login.dest = htmlEscape(safeDest(formValue(form, QStringLiteral("dest"))));
    // Tokens carry "+", "/" and "=" so that they only come back intact when
    // they are form-encoded on the way back.
    login.mAT = randomBase64(18);
    login.qe3 = randomHex(6) + QStringLiteral("+/=");
    if (pending.size() > 1000)
        pending.clear();
    pending.insert(mID, login);

    QString body = QStringLiteral("<form name=\"bglogin\" method=\"post\" "
                                  "action=\"/login/bglogin\">\r\n");
    body += hiddenInput(QStringLiteral("firstname"), login.firstName);
    body += hiddenInput(QStringLiteral("username"), login.shownUser);
    body += hiddenInput(QStringLiteral("dest"), login.dest);
    body += hiddenInput(QStringLiteral("mID"), mID);
    body += hiddenInput(QStringLiteral("mAT"), login.mAT);
    body += hiddenInput(QStringLiteral("QE3"), login.qe3);
    body += QStringLiteral("</form>");
    return pageResponse(QStringLiteral("BackGround Login"), body);
}

Response Site::backgroundLogin(const Request& request) {
    if (request.method != "POST")
        return methodNotAllowed("POST");
    const Response failed = pageResponse(
        QStringLiteral("O2 - Login failed"),
        QStringLiteral("<p>Your login could not be completed. Please log in again.</p>"));
    if (!request.body.startsWith("data="))
        return failed;
    // The whole body after "data=" is the field list of the hidden form.
    const QList<FormField> form = parseForm(request.body.mid(5));
    const QString mID = formValue(form, QStringLiteral("mID"));
    const auto it = pending.constFind(mID);
    if (mID.isEmpty() || it == pending.constEnd())
        return failed;
    const PendingLogin& login = it.value();
    if (formValue(form, QStringLiteral("firstname")) != login.firstName ||
        formValue(form, QStringLiteral("username")) != login.shownUser ||
        formValue(form, QStringLiteral("dest")) != login.dest ||
        formValue(form, QStringLiteral("mAT")) != login.mAT ||
        formValue(form, QStringLiteral("QE3")) != login.qe3)
        return failed;

    const QString id = randomHex(16);
    sessions.insert(id, login.user);
    const QString dest = safeDest(formValue(form, QStringLiteral("dest")));
    pending.erase(it);

    // The body deliberately does not name the destination: a client that does
    // not follow the redirect must not find the address it expects.
    Response r =
        pageResponse(QStringLiteral("Moved"), QStringLiteral("<p>This page has moved.</p>"), 302);
    r.extraHeaders.append({"Location", dest.toLatin1()});
    r.extraHeaders.append(
        {"Set-Cookie", QByteArray(kCookieName) + '=' + id.toLatin1() + "; Path=/; HttpOnly"});
    return r;
}

Response Site::destPage(const Request& request) const {
    QString host = QString::fromLatin1(request.header("Host"));
    if (host.isEmpty())
        host = QStringLiteral("localhost:%1").arg(httpPort);
    const QString user = sessionUser(request);
    const QString greeting =
        user.isEmpty() ? QStringLiteral("Welcome to O2")
                       : QStringLiteral("Welcome back, ") + htmlEscape(account(user)->firstName);
    return pageResponse(
        QStringLiteral("O2 - My O2"),
        QStringLiteral("<p>") + greeting + QStringLiteral("</p>\r\n<p>This page: ") +
            htmlEscape(QStringLiteral("http://") + host + QStringLiteral("/0,,899,00.html")) +
            QStringLiteral("</p>"));
}

Response Site::homePage(const Request& request) const {
    if (request.method != "GET" && request.method != "POST")
        return methodNotAllowed("GET, POST");
    const QString user = sessionUser(request);
    if (user.isEmpty())
        return notLoggedIn();
    const Account* a = account(user);
    QString body = QStringLiteral("<p>Hello ") + htmlEscape(a->firstName) +
                   QStringLiteral("</p>\r\n<form name=\"send\" method=\"post\" "
                                  "action=\"/webOriginate/action/sendMessage\">\r\n");
    body += QStringLiteral("<input type=\"radio\" name=\"howtosend\" value=\"freetxt\" checked> "
                           "Use free TXT - you have %1 TXT remaining<br>\r\n")
                .arg(a->free);
    body += QStringLiteral("<input type=\"radio\" name=\"howtosend\" value=\"paidtxt\"> "
                           "Use paid TXT - you have %1 TXT remaining<br>\r\n")
                .arg(a->paid);
    body += QStringLiteral("<textarea name=\"message\"></textarea>\r\n</form>");
    return pageResponse(QStringLiteral("O2 - Send TXT"), body);
}

Response Site::sendMessage(const Request& request) {
    if (request.method != "POST")
        return methodNotAllowed("POST");
    const QString user = sessionUser(request);
    if (user.isEmpty())
        return notLoggedIn();
    const QList<FormField> form = parseForm(request.body);
    for (const char* name :
         {"contacts", "msisdns", "to", "subject", "howtosend", "message", "replyType", "x", "y"}) {
        bool found = false;
        formValue(form, QString::fromLatin1(name), &found);
        if (!found)
            return notSent(QStringLiteral("the form was incomplete (no %1 field).")
                               .arg(QString::fromLatin1(name)));
    }
    const QString number = formValue(form, QStringLiteral("msisdns"));
    const QString to = formValue(form, QStringLiteral("to"));
    const QString how = formValue(form, QStringLiteral("howtosend"));
    const QString text = formValue(form, QStringLiteral("message"));
    static const QRegularExpression ukMobile(QStringLiteral("^07[0-9]{9}$"));
    if (!ukMobile.match(number).hasMatch())
        return notSent(QStringLiteral("%1 is not a UK mobile number.").arg(number));
    if (to != number)
        return notSent(QStringLiteral("the recipient fields do not agree."));
    const bool paid = how == QStringLiteral("paidtxt");
    if (!paid && how != QStringLiteral("freetxt"))
        return notSent(QStringLiteral("please choose free or paid TXT."));
    if (text.isEmpty())
        return notSent(QStringLiteral("please type a message."));
    const int limit = paid ? kPaidLength : kFreeLength;
    if (text.size() > limit)
        return notSent(QStringLiteral("your message is longer than %1 characters.").arg(limit));

    Account& a = accounts[user];
    int& left = paid ? a.paid : a.free;
    if (left <= 0)
        return notSent(paid ? QStringLiteral("you have no paid TXT left.")
                            : QStringLiteral("you have no free TXT left."));
    --left;
    if (onSent) {
        onSent(QJsonObject{
            {QStringLiteral("account"), user},
            {QStringLiteral("number"), number},
            {QStringLiteral("type"), paid ? QStringLiteral("paid") : QStringLiteral("free")},
            {QStringLiteral("text"), text}});
    }
    return pageResponse(QStringLiteral("O2 - TXT sent"),
                        QStringLiteral("<p>Your message has been sent successfully to ") + number +
                            QStringLiteral(".</p>"));
}

Response Site::logOut(const Request& request) {
    sessions.remove(sessionId(request));
    Response r =
        pageResponse(QStringLiteral("O2 - Logged out"),
                     QStringLiteral("<p>You have logged out. Thank you for using O2.</p>"));
    r.extraHeaders.append({"Set-Cookie", QByteArray(kCookieName) +
                                             "=; Path=/; Expires=Thu, 01 Jan 1970 00:00:00 GMT"});
    return r;
}

QString Site::sessionId(const Request& request) const {
    for (const Header& h : request.headers) {
        if (h.first.compare("Cookie", Qt::CaseInsensitive) != 0)
            continue;
        for (const QByteArray& crumb : h.second.split(';')) {
            const QByteArray c = crumb.trimmed();
            const QByteArray prefix = QByteArray(kCookieName) + '=';
            if (c.startsWith(prefix))
                return QString::fromLatin1(c.mid(prefix.size()));
        }
    }
    return {};
}

QString Site::sessionUser(const Request& request) const {
    const QString id = sessionId(request);
    return id.isEmpty() ? QString() : sessions.value(id);
}

QString Site::defaultDest() const {
    return QStringLiteral("http://localhost:%1/0,,899,00.html").arg(httpPort);
}

QString Site::safeDest(const QString& dest) const {
    for (QChar c : dest) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7F)
            return defaultDest(); // never let a header line break or odd byte through
    }
    const QUrl url(dest, QUrl::StrictMode);
    const QString host = url.host().toLower();
    if (url.isValid() && url.scheme() == QStringLiteral("http") &&
        (host == QStringLiteral("localhost") || host == QStringLiteral("127.0.0.1")))
        return dest;
    return defaultDest();
}

} // namespace opsim
