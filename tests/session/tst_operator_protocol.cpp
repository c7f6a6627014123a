#include "core/session_state.h"
#include "core/settings.h"
#include "session/form_text.h"
#include "session/operator_protocol.h"
#include "support/doubles.h"
#include "support/opsim.h"
#include "support/page_display_double.h"
#include "support/temp_settings.h"

#include "error_window_driver.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

using namespace zemble;
using namespace zemble::test;

namespace {

QString header(const QJsonObject& request, const QString& name) {
    for (const QJsonValue& pair : request.value(QStringLiteral("headers")).toArray()) {
        const QJsonArray nv = pair.toArray();
        if (nv.at(0).toString().compare(name, Qt::CaseInsensitive) == 0)
            return nv.at(1).toString();
    }
    return QStringLiteral("<absent>");
}

} // namespace

class TestOperatorProtocol : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void wholeSend_data();
    void wholeSend();
    void whatTheSiteReceived();
    void wrongPasswordReachesTheErrorWindow();
    void rememberedPasswordSurvivesRestart();

private:
    std::unique_ptr<TempSettings> settings;
    std::unique_ptr<OpSim> sim;
    std::unique_ptr<QuietPlatform> quiet;
    std::unique_ptr<RecordingPageDisplay> display;
    std::unique_ptr<platform::ScopedService<platform::PageDisplayService>> displayGuard;
};

void TestOperatorProtocol::init() {
    settings = std::make_unique<TempSettings>();
    quiet = std::make_unique<QuietPlatform>();
    display = std::make_unique<RecordingPageDisplay>();
    displayGuard =
        std::make_unique<platform::ScopedService<platform::PageDisplayService>>(display.get());
    sim = std::make_unique<OpSim>(QList<OpSimAccount>{{"alice", "s3cr&t £", "Alice", 10, 5}});
    QVERIFY2(sim->start(), qPrintable(sim->errorText()));
    sim->applyToSettings();
    session() = SessionState{};
}

void TestOperatorProtocol::cleanup() {
    sim.reset();
    displayGuard.reset();
    display.reset();
    quiet.reset();
    settings.reset();
}

void TestOperatorProtocol::wholeSend_data() {
    QTest::addColumn<bool>("paid");
    QTest::addColumn<QString>("text");
    QTest::newRow("free, plain") << false << "Hello there";
    QTest::newRow("paid, marks and pound") << true
                                           << "Tea & cake: \xC2\xA3"
                                              "3 + 50%?\r\nBye";
}

void TestOperatorProtocol::wholeSend() {
    QFETCH(bool, paid);
    QFETCH(QString, text);
    OperatorProtocol site;
    auto driver = std::make_unique<ErrorWindowDriver>(); // any visit is unexpected
    QVERIFY(site.log_on("alice", "s3cr&t £"));
    QVERIFY(site.check_quota());
    QCOMPARE(int(session().quota_free), 10);
    QCOMPARE(int(session().quota_paid), 5);
    QCOMPARE(get_setting("quotaleft", ""), QString("10"));
    QCOMPARE(get_setting("paidquotaleft", ""), QString("5"));

    QVERIFY(site.send_part("07700900123", text, paid));
    QVERIFY(site.check_quota());
    QCOMPARE(int(session().quota_free), paid ? 10 : 9);
    QCOMPARE(int(session().quota_paid), paid ? 4 : 5);
    QVERIFY(site.log_off());

    QCOMPARE(driver->visits, 0);
    driver.reset();
    QVERIFY(quiet->messages.asked.isEmpty());
    const QList<QJsonObject> outbox = sim->outbox();
    QCOMPARE(outbox.size(), 1);
    QCOMPARE(outbox[0].value("account").toString(), QString("alice"));
    QCOMPARE(outbox[0].value("number").toString(), QString("07700900123"));
    QCOMPARE(outbox[0].value("type").toString(), paid ? QString("paid") : QString("free"));
    QCOMPARE(outbox[0].value("text").toString(), text);
    const QJsonObject quota = sim->quota("alice");
    QCOMPARE(quota.value("free").toInt(), paid ? 10 : 9);
    QCOMPARE(quota.value("paid").toInt(), paid ? 4 : 5);

    // After log-off the session is gone: a further text is refused.
    ErrorWindowDriver refuse({"cmdAbort"});
    QVERIFY(!site.send_part("07700900123", "late", paid));
    QCOMPARE(refuse.visits, 1);
    QCOMPARE(sim->outbox().size(), 1);
}

void TestOperatorProtocol::whatTheSiteReceived() {
    OperatorProtocol site;
    ErrorWindowDriver driver;
    QVERIFY(site.log_on("alice", "s3cr&t £"));
    QVERIFY(site.check_quota());
    QVERIFY(site.send_part("07700900123", "Hi there", false));
    QVERIFY(site.log_off());
    QCOMPARE(driver.visits, 0);

    const QString web = sim->webHost();
    const QString portal = sim->portalHost();
    const QString shop = sim->shopHost();
    const QString sms = sim->smsHost();
    const QString mblogin = "https://" + portal + "/login/mblogin";
    const QString bglogin = "https://" + shop + "/login/bglogin";
    const QString home = "http://" + sms + "/webOriginate/action/viewHomePage";
    const QString send = "http://" + sms + "/webOriginate/action/sendMessage";
    struct Expected {
        QString method, path, referer, body;
    };
    const QList<Expected> expected = {
        {"POST", "/login/mblogin", "http://" + web,
         "username=alice&password=s3cr%26t%20%A3&dest=http%3A%2F%2F" + web +
             "%2F0%2C%2C899%2C00.html"},
        {"POST", "/login/bglogin", mblogin, "*"},
        {"GET", "/webOriginate/action/viewHomePage", bglogin, ""},
        {"GET", "/webOriginate/action/viewHomePage", send, ""},
        {"POST", "/webOriginate/action/sendMessage", home,
         "contacts=&msisdns=07700900123&to=07700900123&subject=&howtosend=freetxt&message=Hi%"
         "20there"
         "&replyType=none&x=14&y=13"},
        {"POST", "/logout.html", "http://" + web + "/0,,400,00.html", ""},
    };

    // The background login answers with a redirect from HTTPS to the dest
    // page over HTTP, which must have been followed.
    QList<QJsonObject> requests;
    int hops = 0;
    for (const QJsonObject& r : sim->requests()) {
        if (r.value("path").toString() != "/0,,899,00.html")
            requests.append(r);
        else if (r.value("scheme").toString() == "http")
            ++hops;
    }
    QCOMPARE(hops, 1);
    QCOMPARE(requests.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const QJsonObject& r = requests[i];
        const Expected& e = expected[i];
        const QByteArray where = QByteArray::number(i) + " " + e.path.toLatin1();
        QVERIFY2(r.value("method").toString() == e.method, where);
        QVERIFY2(r.value("path").toString() == e.path, where);
        QVERIFY2(header(r, "Referer") == e.referer, where);
        QVERIFY2(header(r, "HTTP_UserAgent") ==
                     "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Q312461)",
                 where);
        const bool post = e.method == "POST";
        QVERIFY2(header(r, "Content-Type") ==
                     (post ? "application/x-www-form-urlencoded" : "<absent>"),
                 where);
        if (e.body != "*")
            QVERIFY2(r.value("body").toString() == e.body,
                     qPrintable(where + ": " + r.value("body").toString()));
    }

    // The background login carries the six hidden fields of the portal page, in order.
    const QString data = requests[1].value("body").toString();
    QVERIFY2(data.startsWith("data=firstname=Alice&username="), qPrintable(data));
    const QStringList names{"firstname", "username", "dest", "mID", "mAT", "QE3"};
    qsizetype at = 0;
    for (const QString& name : names) {
        const qsizetype next = data.indexOf(name + "=", at);
        QVERIFY2(next >= at, qPrintable(name));
        at = next + name.size() + 1;
        QVERIFY2(at < data.size() && data[at] != u'&', qPrintable(name + " is empty"));
    }
}

void TestOperatorProtocol::wrongPasswordReachesTheErrorWindow() {
    OperatorProtocol site;
    session().session_password = "wrong";
    // The portal refuses; the background login then has nothing to show.
    ErrorWindowDriver driver({"cmdIgnore", "cmdIgnore"});
    QVERIFY(site.log_on("alice", "wrong"));
    QCOMPARE(driver.visits, 2);
    QCOMPARE(driver.unexpected, 0);
    QCOMPARE(session().session_password, QString());
    // All three requests were made.
    QStringList paths;
    for (const QJsonObject& r : sim->requests())
        paths.append(r.value("path").toString());
    QVERIFY(paths.contains("/login/mblogin"));
    QVERIFY(paths.contains("/login/bglogin"));
    QCOMPARE(paths.last(), QString("/webOriginate/action/viewHomePage"));
    // Without a session no quota is shown: both figures unknown.
    QVERIFY(site.check_quota());
    QCOMPARE(int(session().quota_free), -1);
    QCOMPARE(int(session().quota_paid), -1);
    QCOMPARE(get_setting("quotaleft", ""), QString("-1"));
    QCOMPARE(get_setting("paidquotaleft", ""), QString("-1"));
}

void TestOperatorProtocol::rememberedPasswordSurvivesRestart() {
    const QString password = "s3cr&t £";
    save_setting("wispusername", "alice");
    save_setting("wisppassword", scramble_password(password));
    // A restart: the store is read again from its file.
    set_settings_file_path({});
    set_settings_file_path(settings->path());
    const QString stored = get_setting("wisppassword", "");
    QVERIFY(stored != password);
    QCOMPARE(stored.size(), password.size());
    QCOMPARE(unscramble_password(stored), password);

    OperatorProtocol site;
    ErrorWindowDriver driver;
    QVERIFY(site.log_on(get_setting("wispusername", ""), unscramble_password(stored)));
    QVERIFY(site.check_quota());
    QCOMPARE(int(session().quota_free), 10);
    QCOMPARE(driver.visits, 0);
}

QTEST_MAIN(TestOperatorProtocol)
#include "tst_operator_protocol.moc"
