#include "core/session_state.h"
#include "core/settings.h"
#include "session/operator_protocol.h"
#include "support/doubles.h"
#include "support/opsim.h"
#include "support/page_display_double.h"
#include "support/temp_settings.h"

#include "error_window_driver.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>
#include <optional>

using namespace zemble;
using namespace zemble::test;

namespace {

const QString kPassword = QStringLiteral("s3cr&t \u00A3");

struct Fixture {
    TempSettings settings;
    QuietPlatform quiet;
    RecordingPageDisplay display;
    platform::ScopedService<platform::PageDisplayService> displayGuard{&display};
    OpSim sim{{{"alice", kPassword, "Alice", 10, 5}}};
};

QString header(const QJsonObject& request, const QString& name) {
    for (const QJsonValue& pair : request.value("headers").toArray()) {
        if (pair[0].toString().compare(name, Qt::CaseInsensitive) == 0)
            return pair[1].toString();
    }
    return QStringLiteral("-");
}

} // namespace

class TestOperatorProtocol : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { f.reset(); }
    void wholeSend_data();
    void wholeSend();
    void wrongPassword();
    void rememberedPasswordSurvivesRestart();

private:
    std::optional<Fixture> f;
};

void TestOperatorProtocol::init() {
    f.emplace();
    QVERIFY2(f->sim.start(), qPrintable(f->sim.errorText()));
    f->sim.applyToSettings();
    session() = SessionState{};
}

void TestOperatorProtocol::wholeSend_data() {
    QTest::addColumn<bool>("paid");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("encoded");
    QTest::newRow("free") << false << "Hi there"
                          << "Hi%20there";
    QTest::newRow("paid, marks and pound") << true
                                           << "Tea & cake: \u00A3"
                                              "3\r\n50%?"
                                           << "Tea%20%26%20cake%3A%20%A33%0D%0A50%25%3F";
}

void TestOperatorProtocol::wholeSend() {
    QFETCH(bool, paid);
    QFETCH(QString, text);
    QFETCH(QString, encoded);
    OperatorProtocol site;
    {
        ErrorWindowDriver driver; // any visit is a failure
        QVERIFY(site.log_on("alice", kPassword));
        QVERIFY(site.check_quota());
        QCOMPARE(session().quota_free, qint16(10));
        QCOMPARE(session().quota_paid, qint16(5));
        QCOMPARE(get_setting("quotaleft", ""), QString("10"));
        QCOMPARE(get_setting("paidquotaleft", ""), QString("5"));
        QVERIFY(site.send_part("07700900123", text, paid));
        QVERIFY(site.log_off());
        QCOMPARE(driver.visits, 0);
    }
    QVERIFY(f->quiet.messages.asked.isEmpty());
    const QList<QJsonObject> outbox = f->sim.outbox();
    QCOMPARE(outbox.size(), 1);
    QCOMPARE(outbox[0].value("number").toString(), QString("07700900123"));
    QCOMPARE(outbox[0].value("type").toString(), QString(paid ? "paid" : "free"));
    QCOMPARE(outbox[0].value("text").toString(), text);
    QCOMPARE(f->sim.quota("alice").value("free").toInt(), paid ? 10 : 9);
    QCOMPARE(f->sim.quota("alice").value("paid").toInt(), paid ? 4 : 5);

    // What the site received, in order; the background login's redirect to
    // the dest page over HTTP was followed.
    const QString web = f->sim.webHost();
    const QString mblogin = "https://" + f->sim.portalHost() + "/login/mblogin";
    const QString bglogin = "https://" + f->sim.shopHost() + "/login/bglogin";
    const QString home = "http://" + f->sim.smsHost() + "/webOriginate/action/viewHomePage";
    const QString send = "http://" + f->sim.smsHost() + "/webOriginate/action/sendMessage";
    const QStringList expected{
        "POST " + mblogin + " <- http://" + web + " : username=alice&password=s3cr%26t%20%A3" +
            "&dest=http%3A%2F%2F" + web + "%2F0%2C%2C899%2C00.html",
        "POST " + bglogin + " <- " + mblogin + " : *",
        "GET http://" + web + "/0,,899,00.html <- " + mblogin + " : ",
        "GET " + home + " <- " + bglogin + " : ",
        "GET " + home + " <- " + send + " : ",
        "POST " + send + " <- " + home + " : contacts=&msisdns=07700900123&to=07700900123" +
            "&subject=&howtosend=" + (paid ? "paid" : "free") + "txt&message=" + encoded +
            "&replyType=none&x=14&y=13",
        "POST http://" + web + "/logout.html <- http://" + web + "/0,,400,00.html : "};
    const QList<QJsonObject> requests = f->sim.requests();
    QCOMPARE(requests.size(), expected.size());
    QString bgBody;
    for (int i = 0; i < requests.size(); ++i) {
        const QJsonObject& r = requests[i];
        const bool post = r.value("method").toString() == "POST";
        QString body = r.value("body").toString();
        if (i == 1)
            std::swap(body, bgBody);
        const QString host = r.value("scheme").toString() == "https" ? f->sim.portalHost() : web;
        QCOMPARE(r.value("method").toString() + " " + r.value("scheme").toString() + "://" + host +
                     r.value("path").toString() + " <- " + header(r, "Referer") + " : " + body,
                 expected[i].endsWith(" : *") ? expected[i].chopped(1) : expected[i]);
        QCOMPARE(header(r, "HTTP_UserAgent"),
                 QString("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Q312461)"));
        QCOMPARE(header(r, "Content-Type"),
                 QString(post ? "application/x-www-form-urlencoded" : "-"));
    }
    // The six hidden fields of the portal page, in order, none empty.
    QVERIFY2(bgBody.startsWith("data=firstname=Alice&username=alice&dest="), qPrintable(bgBody));
    static const QRegularExpression fields(
        "^data=firstname=[^&]+&username=[^&]+&dest=[^&]+&mID=[^&]+&mAT=[^&]+&QE3=[^&]+$");
    QVERIFY2(fields.match(bgBody).hasMatch(), qPrintable(bgBody));

    // After log-off the session is gone: a further text is refused.
    ErrorWindowDriver refuse({"cmdAbort"});
    QVERIFY(!site.send_part("07700900123", "late", paid));
    QCOMPARE(refuse.visits, 1);
    QCOMPARE(f->sim.outbox().size(), 1);
}

void TestOperatorProtocol::wrongPassword() {
    OperatorProtocol site;
    session().session_password = "wrong";
    // The portal refuses, the background login has nothing to go on; the
    // home page is asked for all the same and accepts any page.
    ErrorWindowDriver driver({"cmdIgnore", "cmdAbort"});
    QVERIFY(site.log_on("alice", "wrong"));
    QCOMPARE(driver.visits, 2);
    QCOMPARE(driver.unexpected, 0);
    QCOMPARE(session().session_password, QString());
    QCOMPARE(f->sim.requests().last().value("path").toString(),
             QString("/webOriginate/action/viewHomePage"));
    // Without a session no quota is shown: both figures unknown.
    QVERIFY(site.check_quota());
    QCOMPARE(session().quota_free, qint16(-1));
    QCOMPARE(session().quota_paid, qint16(-1));
    QCOMPARE(get_setting("quotaleft", ""), QString("-1"));
    QCOMPARE(get_setting("paidquotaleft", ""), QString("-1"));
}

void TestOperatorProtocol::rememberedPasswordSurvivesRestart() {
    save_setting("wisppassword", scramble_password(kPassword));
    // A restart: the store is read again from its file.
    set_settings_file_path({});
    set_settings_file_path(f->settings.path());
    const QString stored = get_setting("wisppassword", "");
    QVERIFY(stored != kPassword);
    QCOMPARE(unscramble_password(stored), kPassword);
    OperatorProtocol site;
    ErrorWindowDriver driver;
    QVERIFY(site.log_on("alice", unscramble_password(stored)));
    QVERIFY(site.check_quota());
    QCOMPARE(session().quota_free, qint16(10));
    QCOMPARE(driver.visits, 0);
}

QTEST_MAIN(TestOperatorProtocol)
#include "tst_operator_protocol.moc"
