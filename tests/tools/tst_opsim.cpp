#include "site_client.h"
#include "support/opsim.h"

#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace zemble::test;

namespace {

const QString kSuccess = QStringLiteral("Your message has been sent successfully");

// The value between two markers, both found ignoring case; "" when absent.
QString cut(const QString& page, const QString& start, const QString& end) {
    const qsizetype s = page.indexOf(start, 0, Qt::CaseInsensitive);
    if (s < 0)
        return {};
    const qsizetype from = s + start.size();
    const qsizetype e = page.indexOf(end, from, Qt::CaseInsensitive);
    return e <= from ? QString() : page.mid(from, e - from);
}

// Standard form encoding of Windows-1252 text (the simulator's pages and
// these tests stay within Latin-1 apart from the euro sign).
QByteArray formEncode(const QString& text) {
    QByteArray out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const int code = u == 0x20AC ? 0x80 : (u < 256 ? int(u) : '?');
        if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') ||
            (code >= 'a' && code <= 'z'))
            out += char(code);
        else
            out += '%' + QByteArray::number(code, 16).rightJustified(2, '0').toUpper();
    }
    return out;
}

QString marker(const char* field) {
    return QStringLiteral("input type=\"hidden\" name=\"%1\"").arg(QLatin1String(field));
}

struct Site {
    explicit Site(QList<OpSimAccount> accounts = {{"alice", "secret", "Alice", 10, 5}},
                  QStringList args = {})
        : sim(std::move(accounts), std::move(args)), client(OpSim::caFile()) {}
    QString https(const char* path) const {
        return QStringLiteral("https://%1%2").arg(sim.portalHost(), QLatin1String(path));
    }
    QString http(const char* path) const {
        return QStringLiteral("http://%1%2").arg(sim.webHost(), QLatin1String(path));
    }
    QString destAddress() const {
        return QStringLiteral("http://%1/0,,899,00.html").arg(sim.webHost());
    }
    SiteAnswer portalLogin(const QString& user, const QString& password) {
        return client.post(https("/login/mblogin"),
                           "username=" + formEncode(user) + "&password=" + formEncode(password) +
                               "&dest=http%3A%2F%2F" + sim.webHost().toLatin1() +
                               "%2F0%2C%2C899%2C00.html");
    }
    // The whole two-step portal login; the answer of the background login.
    SiteAnswer logOn(const QString& user, const QString& password) {
        const QString page = portalLogin(user, password).text();
        QByteArray data = "data=";
        const char* fields[] = {"firstname", "username", "dest", "mID", "mAT", "QE3"};
        for (const char* field : fields) {
            QString start = marker(field);
            start = start.leftJustified(39, QLatin1Char(' ')) + QStringLiteral("value=\"");
            if (data.size() > 5)
                data += '&';
            data += QByteArray(field) + '=' + formEncode(cut(page, start, QStringLiteral("\">")));
        }
        return client.post(https("/login/bglogin"), data);
    }
    SiteAnswer send(const QByteArray& body) {
        return client.post(http("/webOriginate/action/sendMessage"), body);
    }
    OpSim sim;
    SiteClient client;
};

QByteArray sendBody(const QString& number, const QString& to, const QString& how,
                    const QString& message) {
    return "contacts=&msisdns=" + formEncode(number) + "&to=" + formEncode(to) +
           "&subject=&howtosend=" + formEncode(how) + "&message=" + formEncode(message) +
           "&replyType=none&x=14&y=13";
}

} // namespace

class TestOpSim : public QObject {
    Q_OBJECT
private slots:
    void portalLoginPage_data();
    void portalLoginPage();
    void portalLoginRefused_data();
    void portalLoginRefused();
    void wholeConversation();
    void messageDecoding_data();
    void messageDecoding();
    void sendRules_data();
    void sendRules();
    void faultAppliesThenClears_data();
    void faultAppliesThenClears();
    void dropAndReset();
    void badFaultsRefused_data();
    void badFaultsRefused();
    void requestLogAndKeepAlive();
    void accountsFileAndCleanStop();
    void badArgumentsRefused_data();
    void badArgumentsRefused();
    void certificateTrust_data();
    void certificateTrust();

private:
    // One simulator for the decoding and send-rule rows, logged in as alice.
    Site* shared();
    std::unique_ptr<Site> sharedSite;
};

Site* TestOpSim::shared() {
    if (!sharedSite) {
        sharedSite =
            std::make_unique<Site>(QList<OpSimAccount>{{"alice", "secret", "Alice", 1000, 1000}});
        if (!sharedSite->sim.start())
            qWarning() << sharedSite->sim.errorText();
        sharedSite->logOn(QStringLiteral("alice"), QStringLiteral("secret"));
    }
    return sharedSite.get();
}

void TestOpSim::portalLoginPage_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("expected"); // "*": any value that is not empty
    // The start markers exactly as the program looks for them.
    QTest::newRow("firstname") << "input type=\"hidden\" name=\"firstname\"   value=\""
                               << "Zo\u00EB &amp; Co";
    QTest::newRow("username") << "input type=\"hidden\" name=\"username\"    value=\""
                              << "zoe";
    QTest::newRow("dest") << "input type=\"hidden\" name=\"dest\"        value=\""
                          << "http://%1/0,,899,00.html";
    QTest::newRow("mID") << "input type=\"hidden\" name=\"mID\"         value=\""
                         << "*";
    QTest::newRow("mAT") << "input type=\"hidden\" name=\"mAT\"         value=\""
                         << "*";
    QTest::newRow("QE3") << "input type=\"hidden\" name=\"QE3\"         value=\""
                         << "*";
}

void TestOpSim::portalLoginPage() {
    QFETCH(QString, start);
    QFETCH(QString, expected);
    QCOMPARE(start.size(), 46);
    Site site({{"zoe", "p w+&", "Zo\u00EB & Co", 1, 1}});
    QVERIFY2(site.sim.start(), qPrintable(site.sim.errorText()));
    const SiteAnswer answer = site.portalLogin(QStringLiteral("zoe"), QStringLiteral("p w+&"));
    QCOMPARE(answer.status, 200);
    QVERIFY(answer.text().contains(QStringLiteral("<title>BackGround Login</title>")));
    const QString value = cut(answer.text(), start, QStringLiteral("\">"));
    if (expected == QStringLiteral("*"))
        QVERIFY(!value.isEmpty());
    else
        QCOMPARE(value, QString(expected).replace(QStringLiteral("%1"), site.sim.webHost()));
}

void TestOpSim::portalLoginRefused_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("wrong password") << QByteArray("username=alice&password=secreT&dest=x");
    QTest::newRow("unknown user") << QByteArray("username=alicia&password=secret&dest=x");
    QTest::newRow("user name in other case") << QByteArray("username=Alice&password=secret");
    QTest::newRow("no password field") << QByteArray("username=alice");
    QTest::newRow("empty body") << QByteArray();
}

void TestOpSim::portalLoginRefused() {
    QFETCH(QByteArray, body);
    Site site;
    QVERIFY2(site.sim.start(), qPrintable(site.sim.errorText()));
    const SiteAnswer answer = site.client.post(site.https("/login/mblogin"), body);
    QCOMPARE(answer.status, 200);
    QVERIFY(!answer.body.isEmpty());
    QVERIFY(!answer.text().contains(QStringLiteral("BackGround Login"), Qt::CaseInsensitive));
    QVERIFY(!answer.text().contains(QStringLiteral("name=\"mID\"")));
}

void TestOpSim::wholeConversation() {
    Site site;
    QVERIFY2(site.sim.start(), qPrintable(site.sim.errorText()));
    const QString home = site.http("/webOriginate/action/viewHomePage");

    // Before logging on the home page shows no quota.
    SiteAnswer answer = site.client.get(home);
    QVERIFY(!answer.text().contains(QStringLiteral("TXT remaining")));
    QVERIFY(answer.text().contains(QStringLiteral("not logged in")));

    answer = site.logOn(QStringLiteral("alice"), QStringLiteral("secret"));
    QCOMPARE(answer.status, 200);
    QVERIFY2(answer.text().contains(site.destAddress(), Qt::CaseInsensitive),
             qPrintable(answer.text()));

    answer = site.client.get(home);
    QCOMPARE(cut(answer.text(), QStringLiteral("Use free TXT - you have "),
                 QStringLiteral(" TXT remaining")),
             QStringLiteral("10"));
    QCOMPARE(cut(answer.text(), QStringLiteral("Use paid TXT - you have "),
                 QStringLiteral(" TXT remaining")),
             QStringLiteral("5"));

    answer = site.send(sendBody("07123456789", "07123456789", "freetxt", "Hi \u00A35 & more"));
    QVERIFY2(answer.text().contains(kSuccess), qPrintable(answer.text()));
    answer = site.send(sendBody("07987654321", "07987654321", "paidtxt", "Paid one"));
    QVERIFY(answer.text().contains(kSuccess));

    const QList<QJsonObject> outbox = site.sim.outbox();
    QCOMPARE(outbox.size(), 2);
    QCOMPARE(outbox[0].value("account").toString(), QStringLiteral("alice"));
    QCOMPARE(outbox[0].value("number").toString(), QStringLiteral("07123456789"));
    QCOMPARE(outbox[0].value("type").toString(), QStringLiteral("free"));
    QCOMPARE(outbox[0].value("text").toString(), QStringLiteral("Hi \u00A35 & more"));
    QCOMPARE(outbox[1].value("type").toString(), QStringLiteral("paid"));
    QCOMPARE(outbox[1].value("number").toString(), QStringLiteral("07987654321"));
    QCOMPARE(site.sim.quota("alice"), (QJsonObject{{"free", 9}, {"paid", 4}}));
    answer = site.client.get(home);
    QVERIFY(answer.text().contains(QStringLiteral("Use free TXT - you have 9 TXT remaining")));
    QVERIFY(answer.text().contains(QStringLiteral("Use paid TXT - you have 4 TXT remaining")));

    answer = site.client.post(site.http("/logout.html"), QByteArray());
    QCOMPARE(answer.status, 200);
    QVERIFY(!answer.body.isEmpty());
    answer = site.client.get(home);
    QVERIFY(!answer.text().contains(QStringLiteral("TXT remaining")));
    answer = site.send(sendBody("07123456789", "07123456789", "freetxt", "After"));
    QVERIFY(!answer.text().contains(kSuccess));
    QCOMPARE(site.sim.outbox().size(), 2);

    // The log holds every request in order, the login pair over HTTPS.
    const QList<QJsonObject> log = site.sim.requests();
    QStringList paths;
    for (const QJsonObject& entry : log)
        paths << entry.value("scheme").toString() + ' ' + entry.value("path").toString();
    QCOMPARE(paths.mid(1, 4),
             (QStringList{"https /login/mblogin", "https /login/bglogin", "http /0,,899,00.html",
                          "http /webOriginate/action/viewHomePage"}));
    QVERIFY(log[2].value("body").toString().startsWith("data=firstname=Alice&username=alice"));
}

void TestOpSim::messageDecoding_data() {
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<QString>("text");
    QTest::newRow("space") << QByteArray("Hi%20there") << "Hi there";
    QTest::newRow("pound, ampersand, e acute") << QByteArray("%A3%26%E9") << "\u00A3&\u00E9";
    QTest::newRow("euro is 80") << QByteArray("%80") << "\u20AC";
    QTest::newRow("two-digit line break") << QByteArray("a%0D%0A1") << "a\r\n1";
    QTest::newRow("one-digit line break") << QByteArray("a%D%Az") << "a\r\nz";
    QTest::newRow("two hex digits always read as one code") << QByteArray("%Ab") << "\u00AB";
    QTest::newRow("one digit at the end") << QByteArray("a%A") << "a\n";
    QTest::newRow("lower-case hex") << QByteArray("%e9") << "\u00E9";
    QTest::newRow("encoded plus") << QByteArray("1%2B1") << "1+1";
    QTest::newRow("bare plus is a space") << QByteArray("1+1") << "1 1";
}

void TestOpSim::messageDecoding() {
    QFETCH(QByteArray, encoded);
    QFETCH(QString, text);
    Site* site = shared();
    const qsizetype before = site->sim.outbox().size();
    const SiteAnswer answer = site->send(
        "contacts=&msisdns=07000000001&to=07000000001&subject=&howtosend=freetxt&message=" +
        encoded + "&replyType=none&x=14&y=13");
    QVERIFY2(answer.text().contains(kSuccess), qPrintable(answer.text()));
    const QList<QJsonObject> outbox = site->sim.outbox();
    QCOMPARE(outbox.size(), before + 1);
    QCOMPARE(outbox.last().value("text").toString(), text);
}

void TestOpSim::sendRules_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("freeLeft");
    QTest::addColumn<QString>("why"); // "" when the text is accepted
    const QString n = QStringLiteral("07123456789");
    QTest::newRow("free, 115 characters") << n << n << "freetxt" << QString(115, 'f') << 3 << "";
    QTest::newRow("paid, 145 characters") << n << n << "paidtxt" << QString(145, 'p') << 3 << "";
    QTest::newRow("free, 116 characters")
        << n << n << "freetxt" << QString(116, 'f') << 3 << "longer than 115";
    QTest::newRow("paid, 146 characters")
        << n << n << "paidtxt" << QString(146, 'p') << 3 << "longer than 145";
    QTest::newRow("last free text") << n << n << "freetxt"
                                    << "x" << 1 << "";
    QTest::newRow("free texts spent") << n << n << "freetxt"
                                      << "x" << 0 << "no free TXT";
    QTest::newRow("paid despite no free") << n << n << "paidtxt"
                                          << "x" << 0 << "";
    QTest::newRow("ten digits") << "0712345678"
                                << "0712345678"
                                << "freetxt"
                                << "x" << 3 << "not a UK mobile";
    QTest::newRow("international form") << "+447123456789"
                                        << "+447123456789"
                                        << "freetxt"
                                        << "x" << 3 << "not a UK mobile";
    QTest::newRow("landline") << "02012345678"
                              << "02012345678"
                              << "freetxt"
                              << "x" << 3 << "not a UK mobile";
    QTest::newRow("fields disagree") << n << "07123456780"
                                     << "freetxt"
                                     << "x" << 3 << "do not agree";
    QTest::newRow("unknown method") << n << n << "mms"
                                    << "x" << 3 << "free or paid";
    QTest::newRow("empty message") << n << n << "freetxt"
                                   << "" << 3 << "type a message";
}

void TestOpSim::sendRules() {
    QFETCH(QString, number);
    QFETCH(QString, to);
    QFETCH(QString, how);
    QFETCH(QString, message);
    QFETCH(int, freeLeft);
    QFETCH(QString, why);
    Site* site = shared();
    QVERIFY(site->sim.setQuota("alice", freeLeft, 3));
    const qsizetype before = site->sim.outbox().size();
    const SiteAnswer answer = site->send(sendBody(number, to, how, message));
    const QJsonObject quota = site->sim.quota("alice");
    if (why.isEmpty()) {
        QVERIFY2(answer.text().contains(kSuccess), qPrintable(answer.text()));
        QCOMPARE(site->sim.outbox().size(), before + 1);
        QCOMPARE(site->sim.outbox().last().value("text").toString(), message);
        const bool paid = how == QStringLiteral("paidtxt");
        QCOMPARE(quota,
                 (QJsonObject{{"free", paid ? freeLeft : freeLeft - 1}, {"paid", paid ? 2 : 3}}));
    } else {
        QVERIFY(!answer.text().contains(kSuccess));
        QVERIFY2(answer.text().contains(why), qPrintable(answer.text()));
        QCOMPARE(site->sim.outbox().size(), before);
        QCOMPARE(quota, (QJsonObject{{"free", freeLeft}, {"paid", 3}}));
    }
}

void TestOpSim::faultAppliesThenClears_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("quotaShown");
    QTest::addColumn<bool>("empty");
    QTest::newRow("http500") << "http500" << 500 << false << false;
    QTest::newRow("blank") << "blank" << 200 << false << true;
    QTest::newRow("wrongpage") << "wrongpage" << 200 << false << false;
    QTest::newRow("slow") << "slow" << 200 << true << false;
}

void TestOpSim::faultAppliesThenClears() {
    QFETCH(QString, kind);
    QFETCH(int, status);
    QFETCH(bool, quotaShown);
    QFETCH(bool, empty);
    Site* site = shared();
    const QString home = site->http("/webOriginate/action/viewHomePage");
    QVERIFY(site->sim.setFault("/webOriginate/action/viewHomePage", kind, 2, 200));
    for (int round = 0; round < 3; ++round) {
        const bool faulty = round < 2;
        const SiteAnswer answer = site->client.get(home);
        QCOMPARE(answer.status, faulty ? status : 200);
        QCOMPARE(answer.body.isEmpty(), faulty && empty);
        QCOMPARE(answer.text().contains(QStringLiteral("TXT remaining")), !faulty || quotaShown);
    }
}

void TestOpSim::dropAndReset() {
    Site site;
    QVERIFY2(site.sim.start(), qPrintable(site.sim.errorText()));
    const QByteArray get = "GET / HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n";
    QVERIFY(site.sim.setFault("/", "drop"));
    QCOMPARE(rawExchange(site.sim.httpPort(), {get}), QByteArray());
    QVERIFY(rawExchange(site.sim.httpPort(), {get}).startsWith("HTTP/1.1 200 "));

    // A client library that resends once on a closed connection (as Qt's
    // does) needs two drops before it reports the failure.
    QVERIFY(site.sim.setFault("/", "drop", 2));
    const SiteAnswer dropped = site.client.get(site.http("/"));
    QCOMPARE(dropped.status, 0);
    QCOMPARE(dropped.error, QNetworkReply::RemoteHostClosedError);
    QCOMPARE(site.client.get(site.http("/")).status, 200);

    QVERIFY(site.sim.setFault("/", "http500", 5));
    QVERIFY(rawExchange(site.sim.httpPort(), {get}).startsWith("HTTP/1.1 500 "));
    QVERIFY(site.sim.reset());
    QVERIFY(rawExchange(site.sim.httpPort(), {get}).startsWith("HTTP/1.1 200 "));
    // Only the site requests are logged, not the control calls.
    QCOMPARE(site.sim.requests().size(), 7);
}

void TestOpSim::badFaultsRefused_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("count");
    QTest::newRow("unknown kind") << "/"
                                  << "explode" << 1;
    QTest::newRow("relative path") << "logout.html"
                                   << "drop" << 1;
    QTest::newRow("zero count") << "/"
                                << "drop" << 0;
}

void TestOpSim::badFaultsRefused() {
    QFETCH(QString, path);
    QFETCH(QString, kind);
    QFETCH(int, count);
    Site* site = shared();
    QVERIFY(!site->sim.setFault(path, kind, count));
    QByteArray armed;
    QCOMPARE(site->sim.control("/_opsim/faults", &armed), 200);
    QCOMPARE(armed, QByteArray("{}"));
}

void TestOpSim::requestLogAndKeepAlive() {
    Site site;
    QVERIFY2(site.sim.start(), qPrintable(site.sim.errorText()));
    // Two requests on one connection, the first body arriving in two pieces.
    const QByteArray first = "POST /logout.html HTTP/1.1\r\nHost: localhost\r\n"
                             "Content-Type: application/x-www-form-urlencoded\r\n"
                             "HTTP_UserAgent: Mozilla/4.0 (compatible)\r\n"
                             "Referer: http://localhost/0,,400,00.html\r\n"
                             "Content-Length: 7\r\n\r\nab";
    const QByteArray second = "cde&fGET /?q=1 HTTP/1.1\r\nHost: localhost\r\n"
                              "Connection: close\r\n\r\n";
    const QByteArray answer = rawExchange(site.sim.httpPort(), {first, second});
    QCOMPARE(answer.count("HTTP/1.1 200 "), 2);
    QVERIFY(answer.contains("Connection: keep-alive"));

    const QList<QJsonObject> log = site.sim.requests();
    QCOMPARE(log.size(), 2);
    QCOMPARE(log[0].value("method").toString(), QStringLiteral("POST"));
    QCOMPARE(log[0].value("body").toString(), QStringLiteral("abcde&f"));
    const QJsonArray expected{QJsonArray{"Host", "localhost"},
                              QJsonArray{"Content-Type", "application/x-www-form-urlencoded"},
                              QJsonArray{"HTTP_UserAgent", "Mozilla/4.0 (compatible)"},
                              QJsonArray{"Referer", "http://localhost/0,,400,00.html"},
                              QJsonArray{"Content-Length", "7"}};
    QCOMPARE(log[0].value("headers").toArray(), expected);
    QCOMPARE(log[1].value("method").toString(), QStringLiteral("GET"));
    QCOMPARE(log[1].value("path").toString(), QStringLiteral("/"));
    QCOMPARE(log[1].value("query").toString(), QStringLiteral("q=1"));
    QCOMPARE(log[1].value("body").toString(), QString());
}

void TestOpSim::certificateTrust_data() {
    QTest::addColumn<bool>("untrusted");
    QTest::newRow("test authority's certificate") << false;
    QTest::newRow("self-signed certificate") << true;
}

void TestOpSim::certificateTrust() {
    QFETCH(bool, untrusted);
    OpSim sim({{"alice", "secret", "Alice", 1, 1}},
              untrusted ? QStringList{"--untrusted-cert"} : QStringList{});
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    QSslSocket socket;
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.setCaCertificates(QSslCertificate::fromPath(OpSim::caFile()));
    socket.setSslConfiguration(ssl);
    socket.connectToHostEncrypted(QStringLiteral("localhost"), quint16(sim.httpsPort()));
    const bool encrypted = socket.waitForEncrypted(5000);
    QCOMPARE(encrypted, !untrusted);
    if (untrusted)
        QVERIFY(!socket.sslHandshakeErrors().isEmpty());
}

void TestOpSim::accountsFileAndCleanStop() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("accounts.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# test accounts\n\nbob;pw;Bob;3;0\ncarol;x y;Carol;0;7\n");
    file.close();
    Site site({{"alice", "secret", "Alice", 1, 2}}, {"--accounts", path});
    QVERIFY2(site.sim.start(), qPrintable(site.sim.errorText()));
    QCOMPARE(site.sim.quota("bob"), (QJsonObject{{"free", 3}, {"paid", 0}}));
    QCOMPARE(site.sim.quota("carol"), (QJsonObject{{"free", 0}, {"paid", 7}}));
    QCOMPARE(site.sim.quota("alice"), (QJsonObject{{"free", 1}, {"paid", 2}}));
    QVERIFY(site.sim.quota("dave").isEmpty());
    QVERIFY(site.logOn(QStringLiteral("carol"), QStringLiteral("x y"))
                .text()
                .contains(site.destAddress(), Qt::CaseInsensitive));
    QVERIFY(site.send(sendBody("07123456789", "07123456789", "paidtxt", "Hello"))
                .text()
                .contains(kSuccess));
    QVERIFY(site.sim.stop());
    // The outbox line was on disk before the process ended and is still whole.
    QCOMPARE(site.sim.outbox().size(), 1);
    QCOMPARE(site.sim.outbox().first().value("account").toString(), QStringLiteral("carol"));
}

void TestOpSim::badArgumentsRefused_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("four account fields") << QStringList{"--account", "a;b;c;1"};
    QTest::newRow("negative quota") << QStringList{"--account", "a;b;c;-1;1"};
    QTest::newRow("quota not a number") << QStringList{"--account", "a;b;c;1;many"};
    QTest::newRow("empty user name") << QStringList{"--account", ";b;c;1;1"};
    QTest::newRow("port out of range") << QStringList{"--http-port", "70000"};
    QTest::newRow("unknown fault kind") << QStringList{"--fault", "explode:1:0:/"};
    QTest::newRow("fault without path") << QStringList{"--fault", "drop:1:0"};
    QTest::newRow("missing accounts file") << QStringList{"--accounts", "/nonexistent/acc"};
}

void TestOpSim::badArgumentsRefused() {
    QFETCH(QStringList, args);
    QProcess process;
    process.start(QStringLiteral(ZEMBLE_OPSIM_PATH), args);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    QVERIFY(!process.readAllStandardError().isEmpty());
}

QTEST_MAIN(TestOpSim)
#include "tst_opsim.moc"
