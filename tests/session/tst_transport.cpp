// The transport against whoever may answer in the site's place on the network path.

#include "core/session_state.h"
#include "core/settings.h"
#include "platform/page_display.h"
#include "session/transport.h"
#include "session/windowed_transport_front.h"

#include "support/doubles.h"
#include "support/error_window_driver.h"
#include "support/hostile_server.h"
#include "support/opsim.h"
#include "support/page_display_double.h"
#include "support/temp_settings.h"

#include <QtTest>
#include <QtWidgets>

using namespace zemble;
using namespace zemble::test;

namespace {

const QByteArray kForm = "username=alice&password=s3cret";

// The hostile servers of one case: TLS with the simulator's own certificate,
// TLS with one that names its host only in the common name, a plain one.
struct Servers {
    HostileServer tls{OpSim::certificate("server.pem"), OpSim::certificate("server.key")};
    HostileServer cnOnly{OpSim::certificate("cn_only.pem"), OpSim::certificate("cn_only.key")};
    HostileServer plain;
    QTemporaryDir dir;
    bool listen() { return tls.listen() && cnOnly.listen() && plain.listen(); }
    const QMap<QString, HostileServer*> all{{"tls", &tls}, {"cnOnly", &cnOnly}, {"plain", &plain}};
    // A text with "{plain}" and "{dir}" standing for the plain server's address and a folder of
    // local files a page can name (all magenta: an image and a style sheet).
    QString fill(QString text) const {
        return text.replace("{plain}", plain.address("")).replace("{dir}", dir.path());
    }
    bool plantMagenta() {
        QImage image(40, 40, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QFile style(dir.filePath("magenta.css"));
        return image.save(dir.filePath("magenta.png")) && style.open(QIODevice::WriteOnly) &&
               style.write("body { background-color: #ff00ff } p { color: #ff00ff }") > 0;
    }
};

using Answer = HostileServer::Answer;

// A request as one of the servers read it.
struct Read {
    QString server; // its key in Servers::all
    QString method;
    QString path;
    QString body;
    bool operator==(const Read&) const = default;
};
char* toString(const Read& r) {
    return QTest::toString(r.server + ": " + r.method + ' ' + r.path + " body: " + r.body);
}

// One request: the server that gets it, how it answers, what the transport makes of it.
struct Case {
    QString server = "plain"; // "untrusted": the simulator, with a certificate nobody trusts
    Answer answer = {};       // of "/start"
    QString method = "post";
    QString expect = "the page";              // the text that makes a page the right one
    bool result = false;                      // the page taken
    QStringList script = {"cmdAbort"};        // the error window's buttons, one per showing
    QString told = {};                        // in the "Internal Error" text; "" when none is shown
    std::optional<QList<Read>> received = {}; // what reached the servers, when checked
    int deadlineMs = 20000;                   // of the whole request
    QString ca = OpSim::caFile();             // "extracafile"
    bool systemCa = false;            // the simulator's authority stands in for the system's own
    bool realDisplay = false;         // shown in the program's own page display window
    std::function<void()> check = {}; // runs while the error window is up
    std::optional<qsizetype> pageSize = {}; // of the page the request returns, when checked
};

} // namespace

Q_DECLARE_METATYPE(Case)

class TestTransport : public QObject {
    Q_OBJECT
    static Answer redirect(int s, const QString& to) { return {HostileServer::redirect(s, to)}; }
    static Answer page(const QByteArray& html) { return {HostileServer::page(html)}; }

private slots:
    void hostile_data() {
        QTest::addColumn<Case>("c");
        const auto row = [](const char* name, const Case& c) { QTest::newRow(name) << c; };
        const auto post = [](const char* server) {
            return Read{.server = server, .method = "POST", .path = "/start", .body = kForm};
        };
        const auto shows = [](const QString& text) {
            QVERIFY(realPageWindow()->toPlainText().contains(text));
        };
        // clang-format off
        // A form is never sent again to a less safe address nor to another host.
        row("307 from HTTPS to HTTP", {.server = "tls", .answer = redirect(307, "{plain}/steal"),
            .told = "{plain}/steal", .received = QList<Read>{post("tls")}});
        // The log-on's own redirect: the form's answer sends the browser on to an HTTP page.
        row("302 from HTTPS to an HTTP page", {.server = "tls", .answer = redirect(302,
            "{plain}/dest"), .result = true, .script = {}, .received = QList<Read>{{.server = "plain",
            .method = "GET", .path = "/dest"}, post("tls")}});
        row("redirect to a local file", {.answer = redirect(302, "file:///etc/passwd"),
            .told = "file:///etc/passwd"});
        row("redirect loop", {.answer = redirect(302, "{plain}/start"), .method = "get",
            .told = "too many redirects"});
        // The request arrived; its answer did not.  Only the user may send it again.
        row("answer lost after the form arrived", {.answer = {.drop = true},
            .told = "2 - The connection closed before the site answered",
            .received = QList<Read>{post("plain")}});
        // One byte every 20 ms for 4 s: never silent for the 3 s the silence limit allows.
        row("page still arriving at the deadline", {.answer = {HostileServer::page(
            QByteArray(200, 'x')), 20}, .told = "4 - The page was still arriving after 1.5 seconds",
            .deadlineMs = 1500});
        row("endless page", {.answer = {.bytes = "HTTP/1.1 200 OK\r\n\r\n<p>", .endless = true},
            .method = "get", .pageSize = Transport::kMaxPageBytes});
        row("silence", {.method = "get", .told = "4 - The request timed out after 3 seconds"});
        row("untrusted certificate", {.server = "untrusted", .told = "6 - "});
        // The system's authorities stay trusted beside "extracafile"; the form still goes once.
        row("system authority beside an extra one", {.server = "tls", .answer = page("the page"),
            .result = true, .script = {}, .received = QList<Read>{post("tls")},
            .ca = OpSim::certificate("untrusted.pem"), .systemCa = true});
        row("host only in the certificate's common name", {.server = "cnOnly", .told = "6 - ",
            .received = QList<Read>{}, .ca = OpSim::certificate("cn_only_ca.pem")});
        // A wrong page: Retry sends the form again, Ignore Error takes the page, the frame's
        // close is Abort All.  A blank page never matches an empty text; a 500 is a page.
        const auto wrong = page("<p>wrong</p>");
        row("wrong page, Retry twice", {.answer = wrong, .script = {"cmdRetry", "cmdRetry",
            "cmdAbort"}, .received = QList<Read>(3, post("plain"))});
        row("wrong page, Ignore Error", {.answer = wrong, .result = true, .script = {"cmdIgnore"}});
        row("wrong page, closed", {.answer = wrong, .script = {"close"}});
        row("blank page", {.answer = page(""), .expect = ""});
        row("server error", {.answer = {"HTTP/1.1 500 Oops\r\nContent-Length: 8\r\n\r\nthe page"},
            .result = true, .script = {}});
        // Crafted pages shown in the program's own display window: nothing they name is loaded.
        row("page naming /dev/zero and local files", {.answer = page(
            "<html><head><link rel=stylesheet href=\"{dir}/magenta.css\"></head><body background="
            "\"{dir}/magenta.png\"><p>Hello</p><img src=\"/dev/zero\"><img src=\"{dir}/magenta.png\">"
            "<img src=\"qrc:/zemble.chm/main.html\"></body></html>"), .method = "get",
            .realDisplay = true, .check = [=] {
                shows("Hello");
                const QImage shot = realPageWindow()->grab().toImage().convertToFormat(
                    QImage::Format_RGB32); // rows without padding
                const auto* pixel = reinterpret_cast<const QRgb*>(shot.constBits());
                QCOMPARE(std::count(pixel, pixel + shot.width() * shot.height(),
                                    QColor(Qt::magenta).rgb()), 0);
            }});
        row("page of nested tables", {.answer = page(QByteArray("<table cellpadding=99999999><tr>"
            "<td>").repeated(30) + "Hello"), .method = "get", .realDisplay = true,
            .check = [=] { shows("Hello"); }});
        row("page of one long word", {.answer = page(QByteArray(256 * 1024, 'w')), .method = "get",
            .realDisplay = true, .check = [] {
                const QString text = realPageWindow()->toPlainText();
                QVERIFY(text.size() < platform::kShownPageChars * 11 / 10);
                static const QRegularExpression leftOut(
                    "\\nThe rest of this page \\(\\d+ more characters\\) is not shown\\.$");
                QVERIFY(leftOut.match(text).hasMatch());
            }});
        // clang-format on
    }
    void hostile() {
        QFETCH(Case, c);
        TempSettings settings;
        QuietPlatform quiet;
        save_setting(QString::fromLatin1(keys::extraCaFile), c.ca);
        const QSslConfiguration system = QSslConfiguration::defaultConfiguration();
        const auto restore =
            qScopeGuard([&] { QSslConfiguration::setDefaultConfiguration(system); });
        if (c.systemCa) {
            QSslConfiguration config = system;
            config.setCaCertificates(QSslCertificate::fromPath(OpSim::caFile()));
            QSslConfiguration::setDefaultConfiguration(config);
        }
        session().session_password = "s3cret";
        RecordingPageDisplay recording;
        std::optional<platform::ScopedService<platform::PageDisplayService>> displayGuard;
        if (!c.realDisplay)
            displayGuard.emplace(&recording);
        Servers servers;
        QVERIFY(servers.listen() && servers.plantMagenta());
        c.answer.bytes = servers.fill(QString::fromLatin1(c.answer.bytes)).toLatin1();
        HostileServer& server = *servers.all.value(c.server, &servers.plain);
        server.on("/start", c.answer);
        servers.plain.on("/dest", page("<p>THE Page</p>")); // matched in any case
        OpSim untrusted({{"alice", "s3cret", "Alice", 1, 1}}, {"--untrusted-cert"});
        QVERIFY(c.server != "untrusted" || untrusted.start());
        Transport transport;
        WindowedTransportFront windows;
        transport.setFront(&windows);
        transport.setRequestTimeout(3000);
        transport.setRequestDeadline(c.deadlineMs);
        ErrorWindowDriver driver(c.script);
        driver.onShown = c.check;
        bool windowUpAtMessage = false;
        quiet.messages.onAsk = [&](auto&) { windowUpAtMessage = ErrorWindowDriver::shown(); };
        const QString address = c.server == "untrusted"
                                    ? "https://" + untrusted.portalHost() + "/start"
                                    : server.address("/start");
        const SiteAnswer answer = transport.go_site(address, "", kForm, c.method, c.expect);
        QCOMPARE(answer.ok, c.result);
        if (c.pageSize)
            QCOMPARE(answer.page.size(), *c.pageSize);
        QCOMPARE(driver.visits, c.script.size());
        QVERIFY(!ErrorWindowDriver::shown() && !windowUpAtMessage);
        QVERIFY(c.script.isEmpty() || session().session_password.isEmpty()); // forgotten there
        // The display opened once for the error window, left open only for a page taken.
        const bool shown = !c.script.isEmpty() && !c.realDisplay;
        QCOMPARE(recording.opens, int(shown));
        QCOMPARE(recording.isOpen(), shown && c.result);
        if (c.received) { // what each server read, in turn
            QList<Read> got;
            for (auto [name, server] : servers.all.asKeyValueRange())
                for (const auto& r : server->received)
                    got.append({name, r.method, r.path, r.body});
            QCOMPARE(got, *c.received);
        }
        QCOMPARE(quiet.messages.titles(),
                 c.told.isEmpty() ? QStringList{} : QStringList{"Internal Error"});
        const QString told = quiet.messages.asked.value(0).text;
        QVERIFY2(told.contains(servers.fill(c.told), Qt::CaseInsensitive), qPrintable(told));
        QVERIFY2(c.told.isEmpty() ||
                     (told.startsWith("The following internal error occurred:\r\n\r\n") &&
                      told.endsWith("\r\n\r\nIt may be possible to continue normally. However it "
                                    "is recommended that you restart Zemble.") &&
                      quiet.messages.asked[0].icon == platform::Icon::Critical),
                 qPrintable(told));
    }
};

QTEST_MAIN(TestTransport)
#include "tst_transport.moc"
