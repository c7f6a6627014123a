#include "core/session_state.h"
#include "platform/help.h"
#include "session/transport.h"
#include "support/doubles.h"
#include "support/opsim.h"
#include "support/page_display_double.h"
#include "support/temp_settings.h"

#include "error_window_driver.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextBrowser>
#include <optional>

using namespace zemble;
using namespace zemble::test;

namespace {

const QString kLogin = QStringLiteral("/login/mblogin");
const QString kTitle = QStringLiteral("<title>BackGround Login</title>");
const QString kBody = QStringLiteral("username=alice&password=secret");
const QString kAgent =
    QStringLiteral("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Q312461)");

struct Fixture {
    TempSettings settings;
    QuietPlatform quiet;
    RecordingPageDisplay display;
    platform::ScopedService<platform::PageDisplayService> displayGuard{&display};
    OpSim sim;
};

// A logged request's headers in their order, names lower-cased.
QList<QPair<QString, QString>> headers_of(const QJsonObject& request) {
    QList<QPair<QString, QString>> out;
    for (const QJsonValue& pair : request.value("headers").toArray())
        out.append({pair[0].toString().toLower(), pair[1].toString()});
    return out;
}

int index_of(const QList<QPair<QString, QString>>& headers, const char* name) {
    for (int i = 0; i < headers.size(); ++i) {
        if (headers[i].first == QLatin1String(name))
            return i;
    }
    return -1;
}

} // namespace

class TestTransport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { f.reset(); }
    void statusText();
    void headerBlock_data();
    void headerBlock();
    void statesAndDisplay();
    void errorWindow_data();
    void errorWindow();
    void runtimeFailure_data();
    void runtimeFailure();
    void cancelWhileWaiting_data();
    void cancelWhileWaiting();
    void oversizedPageIsCut_data();
    void oversizedPageIsCut();
    void pageDisplayWindow();

private:
    QString login() const { return "https://" + f->sim.portalHost() + kLogin; }
    std::optional<Fixture> f;
};

void TestTransport::init() {
    f.emplace();
    QVERIFY2(f->sim.start(), qPrintable(f->sim.errorText()));
    f->sim.applyToSettings();
    session() = SessionState{};
}

void TestTransport::statusText() {
    QCOMPARE(Transport::status_text(3), QString("Status: Connecting."));
    QCOMPARE(Transport::status_text(12), QString("Status: Completed."));
    QCOMPARE(Transport::status_text(0), QString("Status: ."));
    QCOMPARE(Transport::status_text(13), QString("Status: ."));
}

void TestTransport::headerBlock_data() {
    QTest::addColumn<QString>("scheme"); // as written in the address
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("referer");
    QTest::addColumn<QString>("resp");
    QTest::addColumn<bool>("https");
    QTest::addColumn<bool>("post");
    QTest::newRow("GET with args sends no body") << "http://"
                                                 << "GET"
                                                 << "a=1"
                                                 << "http://x/y"
                                                 << "" << false << false;
    QTest::newRow("Post counts as POST") << "http://"
                                         << "Post"
                                         << "a=1&b=%20"
                                         << ""
                                         << "" << false << true;
    QTest::newRow("post with empty body") << "http://"
                                          << "post"
                                          << ""
                                          << "http://r"
                                          << "" << false << true;
    QTest::newRow("HTTPS in capitals, text in any case")
        << "HTTPS://"
        << "POST" << kBody << ""
        << "<TITLE>background LOGIN</TITLE>" << true << true;
    QTest::newRow("no scheme is HTTP") << ""
                                       << "get"
                                       << ""
                                       << ""
                                       << "" << false << false;
    QTest::newRow("other method is GET") << "http://"
                                         << "PUT"
                                         << "a=1"
                                         << ""
                                         << "" << false << false;
}

void TestTransport::headerBlock() {
    QFETCH(QString, scheme);
    QFETCH(QString, method);
    QFETCH(QString, args);
    QFETCH(QString, referer);
    QFETCH(QString, resp);
    QFETCH(bool, https);
    QFETCH(bool, post);
    Transport transport;
    const QString host = https ? f->sim.portalHost() : f->sim.smsHost();
    QVERIFY(transport.go_site(scheme + host + kLogin, referer, args, method, resp));
    QCOMPARE(f->display.opens, 0);

    const QList<QJsonObject> requests = f->sim.requests();
    QCOMPARE(requests.size(), 1);
    const QJsonObject& r = requests.first();
    QCOMPARE(r.value("scheme").toString(), https ? QString("https") : QString("http"));
    QCOMPARE(r.value("method").toString(), post ? QString("POST") : QString("GET"));
    QCOMPARE(r.value("body").toString(), post ? args : QString());

    const auto headers = headers_of(r);
    const int type = index_of(headers, "content-type");
    const int agent = index_of(headers, "http_useragent");
    const int ref = index_of(headers, "referer");
    QVERIFY(agent >= 0);
    QCOMPARE(r.value("headers")[agent][0].toString(), QString("HTTP_UserAgent"));
    QCOMPARE(headers[agent].second, kAgent);
    QCOMPARE(type >= 0 && type < agent, post);
    if (post)
        QCOMPARE(headers[type].second, QString("application/x-www-form-urlencoded"));
    QCOMPARE(ref > agent, !referer.isEmpty());
    QCOMPARE(ref < 0, referer.isEmpty());
    if (ref >= 0)
        QCOMPARE(headers[ref].second, referer);
    // Nothing a browser of the site's day would not send, and no second,
    // contradicting browser name.
    const QStringList allowed{"host",           "content-type", "http_useragent",
                              "referer",        "user-agent",   "accept-encoding",
                              "content-length", "connection",   "accept-language"};
    for (const auto& h : headers)
        QVERIFY2(allowed.contains(h.first), qPrintable(h.first));
    const int standard = index_of(headers, "user-agent");
    QVERIFY(standard < 0 || headers[standard].second == kAgent);
    const int encoding = index_of(headers, "accept-encoding");
    QVERIFY(encoding < 0 || headers[encoding].second == "identity");
}

void TestTransport::statesAndDisplay() {
    save_setting("showiewindow", "yes");
    Transport transport;
    QStringList states;
    transport.set_status_listener([&](const QString& s) { states.append(s); });
    QVERIFY(transport.go_site(login(), "", kBody, "post", kTitle));
    QCOMPARE(states.first(), QString("Status: Connecting."));
    QVERIFY(states.indexOf("Status: Receiving response.") > 0);
    QCOMPARE(states.last(), QString("Status: Completed."));
    QVERIFY(transport.go_site(login(), "", kBody, "post", kTitle));
    QCOMPARE(f->display.opens, 1);
    QCOMPARE(f->display.pages.size(), 2);
    QCOMPARE(f->display.pages.last(), session().page_text);
    transport.unloadIE();
    QVERIFY(!f->display.isOpen());
}

void TestTransport::errorWindow_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("faults");
    QTest::addColumn<QString>("resp");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<bool>("result");
    QTest::addColumn<bool>("displayOpen"); // afterwards
    const QString w = "wrongpage";
    QTest::newRow("retry, then the page")
        << w << 1 << kTitle << QStringList{"cmdRetry"} << true << true;
    QTest::newRow("retry twice: hidden display not reopened")
        << w << 2 << kTitle << QStringList{"cmdRetry", "cmdRetry"} << true << true;
    QTest::newRow("ignore") << w << 1 << kTitle << QStringList{"cmdIgnore"} << true << true;
    QTest::newRow("abort") << w << 1 << kTitle << QStringList{"cmdAbort"} << false << false;
    QTest::newRow("closed from the frame is abort")
        << w << 1 << kTitle << QStringList{"close"} << false << false;
    QTest::newRow("help leaves the choice open")
        << w << 1 << kTitle << QStringList{"cmdHelp", "cmdIgnore"} << true << true;
    QTest::newRow("blank page never matches an empty text")
        << "blank" << 1 << "" << QStringList{"cmdRetry"} << true << true;
    QTest::newRow("server error is a page")
        << "http500" << 1 << kTitle << QStringList{"cmdAbort"} << false << false;
}

void TestTransport::errorWindow() {
    QFETCH(QString, fault);
    QFETCH(int, faults);
    QFETCH(QString, resp);
    QFETCH(QStringList, script);
    QFETCH(bool, result);
    QFETCH(bool, displayOpen);
    RecordingHelp& help = f->quiet.help;
    QVERIFY(f->sim.setFault(kLogin, fault, faults));
    session().session_password = "secret";

    Transport transport;
    ErrorWindowDriver driver(script);
    QStringList passwords;
    driver.onShown = [&](QWidget*) { passwords.append(session().session_password); };
    QCOMPARE(transport.go_site(login(), "", kBody, "post", resp), result);

    QCOMPARE(driver.unexpected, 0);
    QVERIFY(driver.script_.isEmpty());
    QCOMPARE(passwords, QStringList(driver.visits, QString()));
    // Each Retry sends the same request again.
    QCOMPARE(f->sim.requests().size(), 1 + int(script.count("cmdRetry")));
    QVERIFY(!ErrorWindowDriver::visible_window());
    QVERIFY(f->quiet.messages.asked.isEmpty()); // a page came back: no internal error
    QCOMPARE(f->display.opens, 1);
    QCOMPARE(f->display.isOpen(), displayOpen);
    QVERIFY(!f->display.visible());
    QCOMPARE(help.topics,
             script.contains("cmdHelp") ? QStringList{"send_error.html"} : QStringList{});
}

void TestTransport::runtimeFailure_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<bool>("untrusted");
    QTest::addColumn<int>("code");
    QTest::newRow("dropped connection") << "drop" << 30000 << false << 2;
    QTest::newRow("time-out") << "slow" << 500 << false << 4;
    QTest::newRow("untrusted certificate") << "" << 30000 << true << 6;
}

void TestTransport::runtimeFailure() {
    QFETCH(QString, fault);
    QFETCH(int, timeoutMs);
    QFETCH(bool, untrusted);
    QFETCH(int, code);
    OpSim other({{"alice", "secret", "Alice", 1, 1}}, {"--untrusted-cert"});
    OpSim& sim = untrusted ? other : f->sim;
    QVERIFY(!untrusted || other.start());
    // The network layer may try a dropped request again on a new connection.
    QVERIFY(fault.isEmpty() || sim.setFault(kLogin, fault, 10, 3000));

    Transport transport;
    transport.set_request_timeout(timeoutMs);
    QStringList states;
    transport.set_status_listener([&](const QString& s) { states.append(s); });
    bool windowUpAtMessage = true;
    f->quiet.messages.onAsk = [&](auto&) {
        windowUpAtMessage = ErrorWindowDriver::visible_window();
    };
    ErrorWindowDriver driver({"cmdAbort"});
    QVERIFY(!transport.go_site("https://" + sim.portalHost() + kLogin, "", kBody, "post", kTitle));

    QCOMPARE(f->quiet.messages.asked.size(), 1);
    const auto& box = f->quiet.messages.asked.first();
    QCOMPARE(box.title, QString("Internal Error"));
    QCOMPARE(box.icon, platform::Icon::Critical);
    const QStringList lines = box.text.split("\r\n");
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], QString("The following internal error occurred:"));
    QVERIFY2(lines[2].startsWith(QString::number(code) + " - ") && lines[2].size() > 5,
             qPrintable(lines[2]));
    QCOMPARE(lines[4], QString("It may be possible to continue normally. However it is "
                               "recommended that you restart Zemble."));
    QVERIFY(!windowUpAtMessage);
    QCOMPARE(driver.visits, 1);
    QCOMPARE(states.last(), QString("Status: Communication error."));
    QCOMPARE(session().page_text, QString());
    QVERIFY(!f->display.isOpen()); // Abort All closed it
}

void TestTransport::cancelWhileWaiting_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("slow answer") << "slow";
    QTest::newRow("error window") << "wrongpage";
}

void TestTransport::cancelWhileWaiting() {
    QFETCH(QString, fault);
    QVERIFY(f->sim.setFault(kLogin, fault, 1, 20000));
    Transport transport;
    bool windowSeen = false;
    int ticks = 0;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        windowSeen = windowSeen || ErrorWindowDriver::visible_window();
        // Cancel once the request is under way or the window is up.
        if (++ticks > 20 || windowSeen)
            transport.cancel();
    });
    poll.start(10);
    QVERIFY(!transport.go_site(login(), "", kBody, "post", kTitle));
    poll.stop();
    QVERIFY(transport.cancelled());
    QVERIFY(!ErrorWindowDriver::visible_window());
    QVERIFY(f->quiet.messages.asked.isEmpty());
    QCOMPARE(windowSeen, fault == "wrongpage");

    // Later requests fail without being sent until the cancel is reset.
    const qsizetype sent = f->sim.requests().size();
    QVERIFY(!transport.go_site(login(), "", kBody, "post", kTitle));
    QCOMPARE(f->sim.requests().size(), sent);
    transport.reset_cancel();
    QVERIFY(transport.go_site(login(), "", kBody, "post", kTitle));
    QCOMPARE(f->sim.requests().size(), sent + 1);
}

void TestTransport::oversizedPageIsCut_data() {
    QTest::addColumn<bool>("markerFirst");
    QTest::newRow("expected text within the bound") << true;
    QTest::newRow("expected text past the bound") << false;
}

void TestTransport::oversizedPageIsCut() {
    QFETCH(bool, markerFirst);
    // A page larger than any the site sends, from a server on this machine.
    const QByteArray filler(Transport::kMaxPageBytes + 1024 * 1024, 'a');
    const QByteArray page = markerFirst ? "MARKER" + filler : filler + "MARKER";
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* socket = server.nextPendingConnection();
        connect(socket, &QTcpSocket::readyRead, socket, [socket, &page] {
            if (socket->readAll().contains("\r\n\r\n"))
                socket->write("HTTP/1.1 200 OK\r\nContent-Length: " +
                              QByteArray::number(page.size()) + "\r\n\r\n" + page);
        });
    });
    Transport transport;
    ErrorWindowDriver driver({"cmdAbort"});
    const QString url = QStringLiteral("http://127.0.0.1:%1/big").arg(server.serverPort());
    QCOMPARE(transport.go_site(url, "", "", "GET", "marker"), markerFirst);
    QCOMPARE(session().page_text.size(), qsizetype(Transport::kMaxPageBytes));
    QCOMPARE(driver.visits, markerFirst ? 0 : 1);
    QVERIFY(f->quiet.messages.asked.isEmpty());
}

void TestTransport::pageDisplayWindow() {
    platform::PageDisplayService& real = platform::PageDisplayService::real();
    auto window = [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("pageDisplay"))
                return qobject_cast<QTextBrowser*>(w);
        }
        return static_cast<QTextBrowser*>(nullptr);
    };
    real.open();
    QTextBrowser* view = window();
    QVERIFY(real.isOpen() && view && view->isVisible());
    QCOMPARE(view->x(), 100);
    QCOMPARE(view->size(), QSize(360, 360));
    // Hidden, it stays open and keeps taking pages without showing itself.
    real.hide();
    real.showPage("<p>Hello <b>there</b></p>");
    QVERIFY(real.isOpen() && !view->isVisible());
    QCOMPARE(view->toPlainText(), QString("Hello there"));
    real.close();
    QVERIFY(!real.isOpen());
    QTRY_VERIFY(!window());
    // Closed by the user from its frame, it counts as closed.
    real.open();
    window()->close();
    QTRY_VERIFY(!real.isOpen());
}

QTEST_MAIN(TestTransport)
#include "tst_transport.moc"
