#include "core/session_state.h"
#include "platform/help.h"
#include "session/transport.h"
#include "support/doubles.h"
#include "support/opsim.h"
#include "support/page_display_double.h"
#include "support/temp_settings.h"

#include "error_window_driver.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextBrowser>

using namespace zemble;
using namespace zemble::test;

namespace {

class RecordingHelp final : public platform::HelpService {
public:
    void showTopic(const QString& page) override { topics.append(page); }
    void showContents() override { topics.append(QStringLiteral("contents")); }
    QStringList topics;
};

// The headers of one logged request as (name, value) pairs in their order.
QList<QPair<QString, QString>> headers_of(const QJsonObject& request) {
    QList<QPair<QString, QString>> out;
    for (const QJsonValue& pair : request.value(QStringLiteral("headers")).toArray()) {
        const QJsonArray nv = pair.toArray();
        out.append({nv.at(0).toString(), nv.at(1).toString()});
    }
    return out;
}

int header_index(const QList<QPair<QString, QString>>& headers, const QString& name) {
    for (int i = 0; i < headers.size(); ++i) {
        if (headers[i].first.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int count_path(const QList<QJsonObject>& requests, const QString& path) {
    int n = 0;
    for (const QJsonObject& r : requests)
        n += r.value(QStringLiteral("path")).toString() == path;
    return n;
}

const QString kHome = QStringLiteral("/webOriginate/action/viewHomePage");
const QString kLogin = QStringLiteral("/login/mblogin");
const QString kTitle = QStringLiteral("<title>BackGround Login</title>");
const QString kLoginBody = QStringLiteral("username=alice&password=secret");

} // namespace

class TestTransport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void statusText_data();
    void statusText();
    void headerBlock_data();
    void headerBlock();
    void expectedTextIgnoresCase();
    void statesReachTheListener();
    void showsEveryPageWhenAsked();
    void errorWindow_data();
    void errorWindow();
    void retryKeepsHiddenDisplayHidden();
    void runtimeFailure_data();
    void runtimeFailure();
    void untrustedCertificate();
    void cancelWhileWaiting_data();
    void cancelWhileWaiting();
    void oversizedPageIsCut_data();
    void oversizedPageIsCut();
    void pageDisplayWindow();

private:
    QString home() const { return QLatin1String("http://") + sim->smsHost() + kHome; }

    std::unique_ptr<TempSettings> settings;
    std::unique_ptr<OpSim> sim;
    std::unique_ptr<QuietPlatform> quiet;
    std::unique_ptr<RecordingPageDisplay> display;
    std::unique_ptr<platform::ScopedService<platform::PageDisplayService>> displayGuard;
};

void TestTransport::init() {
    settings = std::make_unique<TempSettings>();
    quiet = std::make_unique<QuietPlatform>();
    display = std::make_unique<RecordingPageDisplay>();
    displayGuard =
        std::make_unique<platform::ScopedService<platform::PageDisplayService>>(display.get());
    sim = std::make_unique<OpSim>();
    QVERIFY2(sim->start(), qPrintable(sim->errorText()));
    sim->applyToSettings();
    session() = SessionState{};
}

void TestTransport::cleanup() {
    sim.reset();
    displayGuard.reset();
    display.reset();
    quiet.reset();
    settings.reset();
}

void TestTransport::statusText_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "Status: .";
    QTest::newRow("1") << 1 << "Status: Resolving host.";
    QTest::newRow("3") << 3 << "Status: Connecting.";
    QTest::newRow("6") << 6 << "Status: Request sent.";
    QTest::newRow("7") << 7 << "Status: Receiving response.";
    QTest::newRow("11") << 11 << "Status: Communication error.";
    QTest::newRow("12") << 12 << "Status: Completed.";
    QTest::newRow("13") << 13 << "Status: .";
    QTest::newRow("-1") << -1 << "Status: .";
}

void TestTransport::statusText() {
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(Transport::status_text(code), text);
}

void TestTransport::headerBlock_data() {
    QTest::addColumn<QString>("scheme"); // as written in the address
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("referer");
    QTest::addColumn<QString>("sentScheme");
    QTest::addColumn<bool>("post");
    QTest::newRow("GET with args sends no body") << "http://"
                                                 << "GET"
                                                 << "a=1"
                                                 << ""
                                                 << "http" << false;
    QTest::newRow("get with referer") << "http://"
                                      << "get"
                                      << ""
                                      << "http://x/y"
                                      << "http" << false;
    QTest::newRow("Post counts as POST") << "http://"
                                         << "Post"
                                         << "a=1&b=%20"
                                         << "http://r"
                                         << "http" << true;
    QTest::newRow("POST without referer") << "http://"
                                          << "POST"
                                          << "z"
                                          << ""
                                          << "http" << true;
    QTest::newRow("post with empty body") << "http://"
                                          << "post"
                                          << ""
                                          << ""
                                          << "http" << true;
    QTest::newRow("HTTPS in capitals") << "HTTPS://"
                                       << "GET"
                                       << ""
                                       << ""
                                       << "https" << false;
    QTest::newRow("https post") << "https://"
                                << "post"
                                << "k=v"
                                << "https://p/q"
                                << "https" << true;
    QTest::newRow("no scheme is HTTP") << ""
                                       << "GET"
                                       << ""
                                       << ""
                                       << "http" << false;
    QTest::newRow("other method is GET") << "http://"
                                         << "PUT"
                                         << "a=1"
                                         << ""
                                         << "http" << false;
}

void TestTransport::headerBlock() {
    QFETCH(QString, scheme);
    QFETCH(QString, method);
    QFETCH(QString, args);
    QFETCH(QString, referer);
    QFETCH(QString, sentScheme);
    QFETCH(bool, post);

    const QString host = sentScheme == QLatin1String("https") ? sim->portalHost() : sim->smsHost();
    Transport transport;
    QVERIFY(transport.go_site(scheme + host + kHome, referer, args, method, QString()));

    const QList<QJsonObject> requests = sim->requests();
    QCOMPARE(requests.size(), 1);
    const QJsonObject& r = requests.first();
    QCOMPARE(r.value("scheme").toString(), sentScheme);
    QCOMPARE(r.value("method").toString(), post ? QString("POST") : QString("GET"));
    QCOMPARE(r.value("body").toString(), post ? args : QString());

    const auto headers = headers_of(r);
    const int type = header_index(headers, "Content-Type");
    const int agent = header_index(headers, "HTTP_UserAgent");
    const int ref = header_index(headers, "Referer");
    QVERIFY(agent >= 0);
    QCOMPARE(headers[agent].first, QString("HTTP_UserAgent"));
    QCOMPARE(headers[agent].second,
             QString("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Q312461)"));
    if (post) {
        QVERIFY(type >= 0 && type < agent);
        QCOMPARE(headers[type].second, QString("application/x-www-form-urlencoded"));
    } else {
        QCOMPARE(type, -1);
    }
    if (referer.isEmpty()) {
        QCOMPARE(ref, -1);
    } else {
        QVERIFY(ref > agent);
        QCOMPARE(headers[ref].second, referer);
    }
    // Nothing beyond what the connection needs: no cache directives, no
    // encodings a browser of the site's day did not know.
    const QStringList allowed{"host",           "content-type", "http_useragent",
                              "referer",        "user-agent",   "accept-encoding",
                              "content-length", "connection",   "accept-language",
                              "cookie"};
    for (const auto& h : headers)
        QVERIFY2(allowed.contains(h.first.toLower()), qPrintable(h.first));
    const int encoding = header_index(headers, "Accept-Encoding");
    if (encoding >= 0)
        QCOMPARE(headers[encoding].second, QString("identity"));
    // No second, contradicting browser name.
    const int standardAgent = header_index(headers, "User-Agent");
    if (standardAgent >= 0)
        QCOMPARE(headers[standardAgent].second, headers[agent].second);
}

void TestTransport::expectedTextIgnoresCase() {
    Transport transport;
    const QString mblogin = "https://" + sim->portalHost() + "/login/mblogin";
    const QString body = "username=alice&password=secret&dest=http%3A%2F%2F" + sim->webHost() +
                         "%2F0%2C%2C899%2C00.html";
    QVERIFY(transport.go_site(mblogin, QString(), body, "POST", "<TITLE>background LOGIN</TITLE>"));
    QVERIFY(session().page_text.contains("BackGround Login", Qt::CaseInsensitive));
    QVERIFY(!ErrorWindowDriver::visible_window());
    QCOMPARE(display->opens, 0);
}

void TestTransport::statesReachTheListener() {
    Transport transport;
    QStringList states;
    transport.set_status_listener([&](const QString& s) { states.append(s); });
    QVERIFY(transport.go_site("https://" + sim->portalHost() + kHome, "", "", "GET", ""));
    QVERIFY(states.size() >= 3);
    QCOMPARE(states.first(), QString("Status: Connecting."));
    QCOMPARE(states.last(), QString("Status: Completed."));
    QVERIFY(states.contains("Status: Receiving response."));
    QVERIFY(states.indexOf("Status: Receiving response.") < states.indexOf("Status: Completed."));
}

void TestTransport::showsEveryPageWhenAsked() {
    save_setting("showiewindow", "yes");
    Transport transport;
    QVERIFY(transport.go_site(home(), "", "", "GET", ""));
    QVERIFY(transport.go_site(home(), "", "", "GET", ""));
    QCOMPARE(display->opens, 1);
    QCOMPARE(display->pages.size(), 2);
    QCOMPARE(display->pages.last(), session().page_text);
    transport.unloadIE();
    QVERIFY(!display->isOpen());
    QCOMPARE(display->closes, 1);
}

void TestTransport::errorWindow_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("resp");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("sent");         // requests the site saw
    QTest::addColumn<bool>("displayOpen"); // afterwards
    QTest::addColumn<QStringList>("help");
    const QStringList none;
    QTest::newRow("wrong page, retry succeeds")
        << "wrongpage" << kTitle << QStringList{"cmdRetry"} << true << 2 << true << none;
    QTest::newRow("wrong page, ignore")
        << "wrongpage" << kTitle << QStringList{"cmdIgnore"} << true << 1 << true << none;
    QTest::newRow("wrong page, abort")
        << "wrongpage" << kTitle << QStringList{"cmdAbort"} << false << 1 << false << none;
    QTest::newRow("closed from the frame is abort")
        << "wrongpage" << kTitle << QStringList{"close"} << false << 1 << false << none;
    QTest::newRow("help leaves the choice open")
        << "wrongpage" << kTitle << QStringList{"cmdHelp", "cmdIgnore"} << true << 1 << true
        << QStringList{"send_error.html"};
    QTest::newRow("blank page never matches an empty text")
        << "blank"
        << "" << QStringList{"cmdRetry"} << true << 2 << true << none;
    QTest::newRow("server error page, retry then ignore")
        << "http500" << kTitle << QStringList{"cmdRetry", "cmdIgnore"} << true << 2 << true << none;
}

void TestTransport::errorWindow() {
    QFETCH(QString, fault);
    QFETCH(QString, resp);
    QFETCH(QStringList, script);
    QFETCH(bool, result);
    QFETCH(int, sent);
    QFETCH(bool, displayOpen);
    QFETCH(QStringList, help);

    RecordingHelp helpDouble;
    platform::ScopedService<platform::HelpService> helpGuard(&helpDouble);
    const int faults = fault == QLatin1String("http500") ? 2 : 1;
    QVERIFY(sim->setFault(kLogin, fault, faults));
    session().session_password = "secret";

    Transport transport;
    ErrorWindowDriver driver(script);
    QString passwordWhileAsked = "unset";
    driver.onShown = [&](QWidget*) { passwordWhileAsked = session().session_password; };
    const QString mblogin = "https://" + sim->portalHost() + kLogin;
    QCOMPARE(transport.go_site(mblogin, "", kLoginBody, "post", resp), result);

    QCOMPARE(driver.unexpected, 0);
    QVERIFY(driver.script_.isEmpty());
    QCOMPARE(passwordWhileAsked, QString());
    QCOMPARE(sim->requests().size(), sent);
    QCOMPARE(count_path(sim->requests(), kLogin), sent);
    QVERIFY(!ErrorWindowDriver::visible_window());
    QVERIFY(quiet->messages.asked.isEmpty()); // a page came back: no internal error
    QCOMPARE(display->opens, 1);
    QCOMPARE(display->isOpen(), displayOpen);
    QVERIFY(!display->visible());
    QVERIFY(!display->pages.isEmpty());
    QCOMPARE(helpDouble.topics, help);
}

void TestTransport::retryKeepsHiddenDisplayHidden() {
    QVERIFY(sim->setFault(kLogin, "wrongpage", 2));
    Transport transport;
    ErrorWindowDriver driver({"cmdRetry", "cmdRetry"});
    QVERIFY(
        transport.go_site("https://" + sim->portalHost() + kLogin, "", kLoginBody, "post", kTitle));
    QCOMPARE(driver.visits, 2);
    QCOMPARE(display->opens, 1);
    QCOMPARE(display->hides, 2);
    QVERIFY(display->isOpen());
    QVERIFY(!display->visible());
    QCOMPARE(count_path(sim->requests(), kLogin), 3);
}

void TestTransport::runtimeFailure_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<int>("code");
    QTest::newRow("dropped connection") << "drop" << 0 << 30000 << 2;
    QTest::newRow("time-out") << "slow" << 3000 << 500 << 4;
}

void TestTransport::runtimeFailure() {
    QFETCH(QString, fault);
    QFETCH(int, delayMs);
    QFETCH(int, timeoutMs);
    QFETCH(int, code);
    // The network layer may try a dropped request again on a new connection.
    QVERIFY(sim->setFault(kHome, fault, 3, delayMs));
    Transport transport;
    transport.set_request_timeout(timeoutMs);
    QStringList states;
    transport.set_status_listener([&](const QString& s) { states.append(s); });
    bool windowUpAtMessage = true;
    quiet->messages.onAsk = [&](const platform::MessageBoxRequest&) {
        windowUpAtMessage = ErrorWindowDriver::visible_window() != nullptr;
    };
    ErrorWindowDriver driver({"cmdAbort"});
    QVERIFY(!transport.go_site(home(), "", "", "GET", ""));

    QCOMPARE(quiet->messages.asked.size(), 1);
    const auto& box = quiet->messages.asked.first();
    QCOMPARE(box.title, QString("Internal Error"));
    QCOMPARE(box.icon, platform::Icon::Critical);
    const QStringList lines = box.text.split("\r\n");
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], QString("The following internal error occurred:"));
    QVERIFY2(lines[2].startsWith(QString::number(code) + " - "), qPrintable(lines[2]));
    QVERIFY(lines[2].size() > 5);
    QCOMPARE(lines[4], QString("It may be possible to continue normally. However it is "
                               "recommended that you restart Zemble."));
    QVERIFY(!windowUpAtMessage);
    QCOMPARE(driver.visits, 1);
    QCOMPARE(states.last(), QString("Status: Communication error."));
    QVERIFY(!display->isOpen()); // Abort All closed it
}

void TestTransport::untrustedCertificate() {
    OpSim untrusted({{"alice", "secret", "Alice", 10, 5}}, {"--untrusted-cert"});
    QVERIFY2(untrusted.start(), qPrintable(untrusted.errorText()));
    Transport transport;
    ErrorWindowDriver driver({"cmdIgnore"});
    // Ignore Error accepts the failure as the user's choice; nothing was read.
    QVERIFY(transport.go_site("https://" + untrusted.portalHost() + kHome, "", "", "GET", ""));
    QCOMPARE(quiet->messages.asked.size(), 1);
    QVERIFY2(quiet->messages.asked.first().text.contains("\r\n\r\n6 - "),
             qPrintable(quiet->messages.asked.first().text));
    QCOMPARE(session().page_text, QString());
    QCOMPARE(untrusted.requests().size(), 0);
}

void TestTransport::cancelWhileWaiting_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("delayMs");
    QTest::newRow("slow answer") << "slow" << 5000;
    QTest::newRow("error window") << "wrongpage" << 0;
}

void TestTransport::cancelWhileWaiting() {
    QFETCH(QString, fault);
    QFETCH(int, delayMs);
    QVERIFY(sim->setFault(kLogin, fault, 1, delayMs));
    const QString mblogin = "https://" + sim->portalHost() + kLogin;
    Transport transport;
    bool windowSeen = false;
    QTimer poll;
    poll.setInterval(10);
    QElapsedTimer clock;
    clock.start();
    connect(&poll, &QTimer::timeout, [&] {
        windowSeen = windowSeen || ErrorWindowDriver::visible_window();
        // Cancel once the request is under way (or the window is up).
        if (clock.elapsed() > 300 || windowSeen)
            transport.cancel();
    });
    poll.start();
    QVERIFY(!transport.go_site(mblogin, "", kLoginBody, "post", kTitle));
    poll.stop();
    QVERIFY(transport.cancelled());
    QVERIFY(!ErrorWindowDriver::visible_window());
    QVERIFY(quiet->messages.asked.isEmpty());
    QCOMPARE(windowSeen, fault == QLatin1String("wrongpage"));
    QVERIFY(clock.elapsed() < delayMs || delayMs == 0);

    // Later requests fail without being sent until the cancel is reset.
    const int sent = sim->requests().size();
    QVERIFY(!transport.go_site(mblogin, "", kLoginBody, "post", kTitle));
    QCOMPARE(sim->requests().size(), sent);
    transport.reset_cancel();
    QVERIFY(transport.go_site(mblogin, "", kLoginBody, "post", kTitle));
    QCOMPARE(sim->requests().size(), sent + 1);
}

void TestTransport::oversizedPageIsCut_data() {
    QTest::addColumn<bool>("markerFirst");
    QTest::addColumn<bool>("result");
    QTest::newRow("expected text within the bound") << true << true;
    QTest::newRow("expected text past the bound") << false << false;
}

void TestTransport::oversizedPageIsCut() {
    QFETCH(bool, markerFirst);
    QFETCH(bool, result);
    // A page larger than any the site sends, from a server on this machine.
    const QByteArray filler(Transport::kMaxPageBytes + 1024 * 1024, 'a');
    const QByteArray page = markerFirst ? "MARKER" + filler : filler + "MARKER";
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* socket = server.nextPendingConnection();
        connect(socket, &QTcpSocket::readyRead, socket, [socket, &page] {
            if (!socket->readAll().contains("\r\n\r\n"))
                return;
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                          QByteArray::number(page.size()) + "\r\n\r\n");
            socket->write(page);
        });
    });

    Transport transport;
    ErrorWindowDriver driver({"cmdAbort"});
    const QString url = QStringLiteral("http://127.0.0.1:%1/big").arg(server.serverPort());
    QCOMPARE(transport.go_site(url, "", "", "GET", "marker"), result);
    QCOMPARE(session().page_text.size(), qsizetype(Transport::kMaxPageBytes));
    QCOMPARE(driver.visits, result ? 0 : 1);
    QVERIFY(quiet->messages.asked.isEmpty());
}

namespace {
QTextBrowser* display_window() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("pageDisplay"))
            return qobject_cast<QTextBrowser*>(w);
    }
    return nullptr;
}
} // namespace

void TestTransport::pageDisplayWindow() {
    platform::PageDisplayService& real = platform::PageDisplayService::real();
    QVERIFY(!real.isOpen());
    real.open();
    QVERIFY(real.isOpen());
    QTextBrowser* view = display_window();
    QVERIFY(view);
    QVERIFY(view->isVisible());
    QCOMPARE(view->x(), 100);
    QCOMPARE(view->size(), QSize(360, 360));
    real.showPage("<p>Hello <b>there</b></p>");
    QCOMPARE(view->toPlainText(), QString("Hello there"));

    // Hidden, it stays open and keeps taking pages without showing itself.
    real.hide();
    real.showPage("<p>next</p>");
    QVERIFY(real.isOpen());
    QVERIFY(!view->isVisible());
    QCOMPARE(view->toPlainText(), QString("next"));

    real.close();
    QVERIFY(!real.isOpen());
    QTRY_VERIFY(!display_window());
    real.close(); // nothing open: nothing happens

    // Closed by the user from its frame, it counts as closed.
    real.open();
    QVERIFY(display_window());
    display_window()->close();
    QTRY_VERIFY(!real.isOpen());
}

QTEST_MAIN(TestTransport)
#include "tst_transport.moc"
