// The transport against whoever may answer in the site's place: redirects
// that would carry a form elsewhere or lead nowhere, answers lost after the
// request arrived, pages that trickle in, certificates and pages crafted
// against the program.

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

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <functional>
#include <optional>

using namespace zemble;
using namespace zemble::test;

namespace {

const QByteArray kForm = "username=alice&password=s3cret";

// The hostile servers of one case: TLS with the simulator's own certificate,
// TLS with one that names its host only in the common name, two plain ones.
struct Servers {
    HostileServer tls{OpSim::certificate("server.pem"), OpSim::certificate("server.key")};
    HostileServer cnOnly{OpSim::certificate("cn_only.pem"), OpSim::certificate("cn_only.key")};
    HostileServer plain, other;
    QTemporaryDir dir;
    bool listen() { return tls.listen() && cnOnly.listen() && plain.listen() && other.listen(); }
    // "tls POST /start username=...": every request each one read, server by server.
    QStringList received() const {
        QStringList out;
        for (auto [name, server] :
             {std::pair{"tls", &tls}, {"cnOnly", &cnOnly}, {"plain", &plain}, {"other", &other}}) {
            for (const auto& r : server->received)
                out << QString("%1 %2 %3 %4").arg(name, r.method, r.path, r.body).trimmed();
        }
        return out;
    }
    // A text with "{plain}" and "{other}" standing for those servers' addresses.
    QString fill(QString text) const {
        return text.replace("{plain}", plain.address("")).replace("{other}", other.address(""));
    }
};

// One request: the server that gets it and how the servers answer.
struct Case {
    std::function<HostileServer&(Servers&)> arm; // arms the answers, names the first server
    QString method = "post";
    QString resp = "the page"; // the text looked for
    bool result = false;       // true: the page is taken; else Abort All on the error window
    QString told = {};         // in the "Internal Error" text; "" when none is shown
    std::optional<QStringList> received = {}; // what reached the servers, when checked
    int deadlineMs = 20000;                   // of the whole request
    bool realDisplay = false;                 // shown in the program's own page display window
    std::function<void()> check = {};         // runs while the error window is up
};

HostileServer::Answer redirect(int status, const QString& location) {
    return {HostileServer::redirect(status, location)};
}

const QColor kMagenta(255, 0, 255);

// Local files a page can name: an image and a style sheet, both all magenta.
QByteArray magenta_image(const QString& dir) {
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(kMagenta);
    image.save(dir + "/magenta.png");
    return (dir + "/magenta.png").toUtf8();
}
QByteArray magenta_style(const QString& dir) {
    QFile file(dir + "/magenta.css");
    file.open(QIODevice::WriteOnly);
    file.write("body { background-color: #ff00ff } p { color: #ff00ff }");
    return file.fileName().toUtf8();
}

bool has_magenta(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == kMagenta)
                return true;
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Case)

class TestTransport : public QObject {
    Q_OBJECT
private slots:
    void hostile_data() {
        QTest::addColumn<Case>("c");
        const auto row = [](const char* name, const Case& c) { QTest::newRow(name) << c; };
        const auto post = [](const char* server) {
            return QString("%1 POST /start %2").arg(server, kForm);
        };
        // clang-format off
        // A form is never sent again to a less safe address nor to another host.
        row("307 from HTTPS to HTTP", {.arm = [](Servers& s) -> HostileServer& {
                s.tls.on("/start", redirect(307, s.plain.address("/steal")));
                return s.tls;
            }, .told = "{plain}/steal", .received = QStringList{post("tls")}});
        row("308 to another host", {.arm = [](Servers& s) -> HostileServer& {
                s.plain.on("/start", redirect(308, s.other.address("/steal")));
                return s.plain;
            }, .told = "{other}/steal", .received = QStringList{post("plain")}});
        // The log-on's own redirect: the form's answer sends the browser on to an HTTP page.
        row("302 from HTTPS to an HTTP page", {.arm = [](Servers& s) -> HostileServer& {
                s.tls.on("/start", redirect(302, s.plain.address("/dest")));
                s.plain.on("/dest", {HostileServer::page("<p>the page</p>")});
                return s.tls;
            }, .result = true, .received = QStringList{post("tls"), "plain GET /dest"}});
        row("redirect to a local file", {.arm = [](Servers& s) -> HostileServer& {
                s.plain.on("/start", redirect(302, "file:///etc/passwd"));
                return s.plain;
            }, .told = "file:///etc/passwd"});
        row("redirect to data", {.arm = [](Servers& s) -> HostileServer& {
                s.plain.on("/start", redirect(302, "data:text/html,the page"));
                return s.plain;
            }, .method = "get", .told = "data:text/html,the page"});
        row("redirect loop", {.arm = [](Servers& s) -> HostileServer& {
                s.plain.on("/start", redirect(302, s.plain.address("/start")));
                return s.plain;
            }, .method = "get", .told = "too many redirects"});
        // The request arrived; its answer did not.  Only the user may send it again.
        row("answer lost after the form arrived", {.arm = [](Servers& s) -> HostileServer& {
                s.plain.on("/start", {.drop = true});
                return s.plain;
            }, .told = "2 - The connection closed before the site answered",
               .received = QStringList{post("plain")}});
        // One byte every 20 ms for 4 s: never silent for the 3 s the silence limit allows.
        row("page still arriving at the deadline", {.arm = [](Servers& s) -> HostileServer& {
                s.plain.on("/start", {HostileServer::page(QByteArray(200, 'x')), 20});
                return s.plain;
            }, .told = "4 - The page was still arriving after 1.5 seconds", .deadlineMs = 1500});
        row("endless page", {.arm = [](Servers& s) -> HostileServer& {
                s.plain.on("/start", {.bytes = "HTTP/1.1 200 OK\r\n\r\n<p>", .endless = true});
                return s.plain;
            }, .method = "get", .check = [] {
                QCOMPARE(session().page_text.size(), qsizetype(Transport::kMaxPageBytes));
            }});
        row("host only in the certificate's common name", {.arm = [](Servers& s) -> HostileServer& {
                save_setting(QString::fromLatin1(keys::extraCaFile),
                             OpSim::certificate("cn_only_ca.pem"));
                return s.cnOnly;
            }, .told = "6 - ", .received = QStringList{}});
        // Crafted pages shown in the program's own display window.
        row("page naming /dev/zero and local files", {.arm = [](Servers& s) -> HostileServer& {
                const QString dir = s.dir.path();
                s.plain.on("/start", {HostileServer::page(
                    "<html><head><link rel=stylesheet href=\"" + magenta_style(dir) + "\"></head>"
                    "<body background=\"" + magenta_image(dir) + "\"><p>Hello</p>"
                    "<img src=\"/dev/zero\"><img src=\"" + magenta_image(dir) + "\">"
                    "<img src=\"qrc:/zemble.chm/main.html\"></body></html>")});
                return s.plain;
            }, .method = "get", .realDisplay = true, .check = [] {
                QVERIFY(real_page_window()->toPlainText().contains("Hello"));
                QVERIFY(!has_magenta(real_page_window()->grab().toImage()));
            }});
        row("page of nested tables", {.arm = [](Servers& s) -> HostileServer& {
                s.plain.on("/start", {HostileServer::page(
                    QByteArray("<table cellpadding=99999999><tr><td>").repeated(30) + "Hello")});
                return s.plain;
            }, .method = "get", .realDisplay = true, .check = [] {
                QVERIFY(real_page_window()->toPlainText().contains("Hello"));
            }});
        row("page of one long word", {.arm = [](Servers& s) -> HostileServer& {
                s.plain.on("/start", {HostileServer::page(QByteArray(256 * 1024, 'w'))});
                return s.plain;
            }, .method = "get", .realDisplay = true, .check = [] {
                const QString text = real_page_window()->toPlainText();
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
        save_setting(QString::fromLatin1(keys::extraCaFile), OpSim::caFile());
        RecordingPageDisplay recording;
        std::optional<platform::ScopedService<platform::PageDisplayService>> displayGuard;
        if (!c.realDisplay)
            displayGuard.emplace(&recording);
        Servers servers;
        QVERIFY(servers.listen());
        const QString address = c.arm(servers).address("/start");
        Transport transport;
        WindowedTransportFront windows;
        transport.setFront(&windows);
        transport.setRequestTimeout(3000);
        transport.setRequestDeadline(c.deadlineMs);
        ErrorWindowDriver driver;
        driver.onShown = c.check;
        QCOMPARE(transport.go_site(address, "", kForm, c.method, c.resp), c.result);
        QCOMPARE(driver.visits, c.result ? 0 : 1);
        if (c.received)
            QCOMPARE(servers.received(), *c.received);
        QCOMPARE(quiet.messages.titles(),
                 c.told.isEmpty() ? QStringList{} : QStringList{"Internal Error"});
        const QString told = quiet.messages.asked.value(0).text;
        QVERIFY2(told.contains(servers.fill(c.told), Qt::CaseInsensitive), qPrintable(told));
    }
};

QTEST_MAIN(TestTransport)
#include "tst_transport.moc"
