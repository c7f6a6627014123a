#include "support/opsim.h"

#include <QDateTime>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTest>
#include <QTimer>

using namespace zemble::test;

namespace {

const QString kSuccess = QStringLiteral("Your message has been sent successfully");
const char* const kHome = "/webOriginate/action/viewHomePage";

QSslConfiguration trustingSimulator() {
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.setCaCertificates(QSslCertificate::fromPath(OpSim::caFile()));
    return ssl;
}

// The value between two markers, both found ignoring case; "" when absent.
QString cut(const QString& page, const QString& start, const QString& end) {
    const qsizetype s = page.indexOf(start, 0, Qt::CaseInsensitive);
    if (s < 0)
        return {};
    const qsizetype from = s + start.size();
    const qsizetype e = page.indexOf(end, from, Qt::CaseInsensitive);
    return e <= from ? QString() : page.mid(from, e - from);
}

QByteArray formEncode(const QString& text) {
    return text.toLatin1().toPercentEncoding();
}

// A browser on the simulator: keeps cookies, follows redirects (HTTPS to HTTP
// too) and trusts the simulator's authority.
struct Site {
    explicit Site(QList<OpSimAccount> accounts = {{"alice", "secret", "Alice", 10, 5}})
        : sim(std::move(accounts)) {
        manager.setProxy(QNetworkProxy::NoProxy);
    }
    // The answer's body (Latin-1); `status` gets its HTTP status, 0 when none came.
    QString fetch(const QString& url, const QByteArray* body = nullptr, int* status = nullptr) {
        QNetworkRequest request{QUrl(url)};
        request.setSslConfiguration(trustingSimulator());
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::UserVerifiedRedirectPolicy);
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QByteArrayLiteral("application/x-www-form-urlencoded"));
        QNetworkReply* reply = body ? manager.post(request, *body) : manager.get(request);
        QObject::connect(reply, &QNetworkReply::redirected, reply,
                         [reply](const QUrl&) { emit reply->redirectAllowed(); });
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        if (status)
            *status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QString text = QString::fromLatin1(reply->readAll());
        delete reply;
        return text;
    }
    QString post(const QString& url, const QByteArray& body) { return fetch(url, &body); }
    QString http(const char* path) const { return "http://" + sim.webHost() + path; }
    QString https(const char* path) const { return "https://" + sim.portalHost() + path; }
    QString destAddress() const { return http("/0,,899,00.html"); }
    QString portalLogin(const QString& user, const QString& password, int* status = nullptr) {
        const QByteArray body = "username=" + formEncode(user) +
                                "&password=" + formEncode(password) +
                                "&dest=" + formEncode(destAddress());
        return fetch(https("/login/mblogin"), &body, status);
    }
    // The whole two-step portal login; the answer of the background login.
    QString logOn(const QString& user, const QString& password) {
        const QString page = portalLogin(user, password);
        QByteArray data = "data=";
        for (const char* field : {"firstname", "username", "dest", "mID", "mAT", "QE3"}) {
            const QString start =
                QString("input type=\"hidden\" name=\"%1\"").arg(field).leftJustified(39) +
                "value=\"";
            data += QByteArray(data.size() > 5 ? "&" : "") + field + '=' +
                    formEncode(cut(page, start, QStringLiteral("\">")));
        }
        return post(https("/login/bglogin"), data);
    }
    QString send(const QString& number, const QString& how, const QString& message) {
        return post(http("/webOriginate/action/sendMessage"),
                    "contacts=&msisdns=" + formEncode(number) + "&to=" + formEncode(number) +
                        "&subject=&howtosend=" + formEncode(how) +
                        "&message=" + formEncode(message) + "&replyType=none&x=14&y=13");
    }
    OpSim sim;
    QNetworkAccessManager manager;
};

} // namespace

class TestOpSim : public QObject {
    Q_OBJECT
private slots:
    void portalLoginPage_data();
    void portalLoginPage();
    void wholeSession();
    void faultAppliesOnceThenClears_data();
    void faultAppliesOnceThenClears();
    void certificateTrust_data();
    void certificateTrust();
};

void TestOpSim::portalLoginPage_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("expected"); // empty: any value that is not empty
    // The start markers exactly as the program looks for them.
    QTest::newRow("firstname") << R"(input type="hidden" name="firstname"   value=")"
                               << "Zo\u00EB &amp; Co";
    QTest::newRow("username") << R"(input type="hidden" name="username"    value=")"
                              << "zoe";
    QTest::newRow("dest") << R"(input type="hidden" name="dest"        value=")"
                          << "http://%1/0,,899,00.html";
    QTest::newRow("mID") << R"(input type="hidden" name="mID"         value=")" << QString();
    QTest::newRow("mAT") << R"(input type="hidden" name="mAT"         value=")" << QString();
    QTest::newRow("QE3") << R"(input type="hidden" name="QE3"         value=")" << QString();
}

void TestOpSim::portalLoginPage() {
    QFETCH(QString, start);
    QFETCH(QString, expected);
    QCOMPARE(start.size(), 46);
    Site site({{"zoe", "p w+&", "Zo\u00EB & Co", 1, 1}});
    QVERIFY2(site.sim.start(), qPrintable(site.sim.errorText()));
    int status = 0;
    const QString page = site.portalLogin("zoe", "p w+&", &status);
    QCOMPARE(status, 200);
    QVERIFY(page.contains(QStringLiteral("<title>BackGround Login</title>")));
    const QString value = cut(page, start, QStringLiteral("\">"));
    if (expected.isEmpty())
        QVERIFY(!value.isEmpty());
    else
        QCOMPARE(value, QString(expected).replace(QStringLiteral("%1"), site.sim.webHost()));
}

void TestOpSim::wholeSession() {
    Site site;
    QVERIFY2(site.sim.start(), qPrintable(site.sim.errorText()));
    const QString n1 = QStringLiteral("07123456789");
    const QString n2 = QStringLiteral("07987654321");

    // Without a session no quota shows and texts are refused.
    QVERIFY(!site.fetch(site.http(kHome)).contains(QStringLiteral("TXT remaining")));
    QVERIFY(!site.send(n1, "freetxt", "Early").contains(kSuccess));

    const QString landing = site.logOn("alice", "secret");
    QVERIFY2(landing.contains(site.destAddress(), Qt::CaseInsensitive), qPrintable(landing));
    QString home = site.fetch(site.http(kHome));
    QCOMPARE(cut(home, "Use free TXT - you have ", " TXT remaining"), QStringLiteral("10"));
    QCOMPARE(cut(home, "Use paid TXT - you have ", " TXT remaining"), QStringLiteral("5"));

    const QString sent = site.send(n1, "freetxt", "Hi \u00A35 & more");
    QVERIFY2(sent.contains(kSuccess), qPrintable(sent));
    QVERIFY(site.send(n2, "paidtxt", "Paid one").contains(kSuccess));
    QCOMPARE(
        site.sim.outbox(),
        (QList<QJsonObject>{
            {{"account", "alice"}, {"number", n1}, {"type", "free"}, {"text", "Hi \u00A35 & more"}},
            {{"account", "alice"}, {"number", n2}, {"type", "paid"}, {"text", "Paid one"}}}));
    QCOMPARE(site.sim.quota("alice"), (QJsonObject{{"free", 9}, {"paid", 4}}));
    home = site.fetch(site.http(kHome));
    QVERIFY(home.contains(QStringLiteral("Use free TXT - you have 9 TXT remaining")));
    QVERIFY(home.contains(QStringLiteral("Use paid TXT - you have 4 TXT remaining")));

    QVERIFY(!site.post(site.http("/logout.html"), {}).isEmpty());
    QVERIFY(!site.fetch(site.http(kHome)).contains(QStringLiteral("TXT remaining")));
    QVERIFY(!site.send(n1, "freetxt", "After").contains(kSuccess));
    QCOMPARE(site.sim.outbox().size(), 2);

    // The request log holds the login pair over HTTPS, in order.
    QStringList paths;
    for (const QJsonObject& entry : site.sim.requests())
        paths << entry.value("scheme").toString() + ' ' + entry.value("path").toString();
    QCOMPARE(paths.mid(2, 3),
             (QStringList{"https /login/mblogin", "https /login/bglogin", "http /0,,899,00.html"}));
}

void TestOpSim::faultAppliesOnceThenClears_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<bool>("quotaShown");
    QTest::newRow("http500") << "http500" << 500 << false << false;
    QTest::newRow("blank") << "blank" << 200 << true << false;
    QTest::newRow("wrongpage") << "wrongpage" << 200 << false << false;
    QTest::newRow("slow") << "slow" << 200 << false << true;
}

void TestOpSim::faultAppliesOnceThenClears() {
    QFETCH(QString, kind);
    QFETCH(int, status);
    QFETCH(bool, empty);
    QFETCH(bool, quotaShown);
    Site site;
    QVERIFY2(site.sim.start(), qPrintable(site.sim.errorText()));
    QVERIFY(site.logOn("alice", "secret").contains(site.destAddress(), Qt::CaseInsensitive));
    // One request passes before the fault, one after it.
    QVERIFY(site.sim.setFault(kHome, kind, 1, 400, 1));
    for (const bool faulty : {false, true, false}) {
        const qint64 began = QDateTime::currentMSecsSinceEpoch();
        int got = 0;
        const QString page = site.fetch(site.http(kHome), nullptr, &got);
        QCOMPARE(got, faulty ? status : 200);
        QCOMPARE(page.isEmpty(), faulty && empty);
        QCOMPARE(page.contains(QStringLiteral("TXT remaining")), !faulty || quotaShown);
        if (faulty && kind == QStringLiteral("slow"))
            QVERIFY(QDateTime::currentMSecsSinceEpoch() - began >= 400);
    }
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
    socket.setSslConfiguration(trustingSimulator());
    socket.connectToHostEncrypted(QStringLiteral("localhost"), quint16(sim.httpsPort()));
    QCOMPARE(socket.waitForEncrypted(5000), !untrusted);
    QCOMPARE(socket.sslHandshakeErrors().isEmpty(), !untrusted);
}

QTEST_MAIN(TestOpSim)
#include "tst_opsim.moc"
