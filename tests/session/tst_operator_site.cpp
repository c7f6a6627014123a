// The operator protocol and whole send jobs against the simulator.

#include "addressbook/contact_store.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "session/job_settings.h"
#include "session/operator_protocol.h"
#include "session/send_window.h"
#include "session/transport.h"

#include "support/bad_site_settings.h"
#include "support/doubles.h"
#include "support/error_window_driver.h"
#include "support/fake_compose_host.h"
#include "support/opsim.h"
#include "support/page_display_double.h"
#include "support/temp_settings.h"

#include <QtTest>
#include <QtWidgets>

using namespace zemble;
using namespace zemble::test;

namespace {

const QString kPassword = "s3cr&t \u00A3";
const QString kLogin = "/login/mblogin";
const QString kSend = "/webOriginate/action/sendMessage";
const QString kBody = "username=alice&password=s3cr%26t%20%A3";
// Stands for the body of the portal's second login step, six hidden fields of which three
// change with each log-on.
const QString kHiddenFields = "(the six hidden fields)";
const QString kAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Q312461)";

struct Fixture {
    TempSettings settings;
    QuietPlatform quiet;
    RecordingPageDisplay display;
    platform::ScopedService<platform::PageDisplayService> displayGuard{&display};
    OpSim sim{{{"alice", kPassword, "Alice", 10, 5}}};
    // A send window working for a compose double, on the real protocol.
    OperatorProtocol site{session()};
    FakeComposeHost compose;
    StoredJobSettings jobSettings;
    SendWindow window{site, compose, {jobSettings, contacts(), session()}};
    void send(const QString& message) {
        compose.to = "07700900001 ; 07700900002";
        compose.message = message;
        compose.enabled = false;
        window.show();
        window.send_message();
    }
};

// A message part the site took.
struct Sent {
    QString number;
    QString type; // "free" or "paid"
    QString text;
    bool operator==(const Sent&) const = default;
};
char* toString(const Sent& s) {
    return QTest::toString(s.number + " (" + s.type + "): " + s.text);
}

// A request the site received, with the headers that matter here, in the order sent.
struct Header {
    QString name;
    QString value;
    bool operator==(const Header&) const = default;
};
struct Request {
    QString method;
    QString address;   // scheme, host and path
    QString body = {}; // none given: an empty body
    QList<Header> headers;
    bool operator==(const Request&) const = default;
};
char* toString(const Request& r) {
    QStringList headers;
    for (const Header& h : r.headers)
        headers.append(h.name + ": " + h.value);
    return QTest::toString(r.method + ' ' + r.address + "\nbody: " + r.body +
                           "\nheaders: " + headers.join("; "));
}

enum class Method { Free, Paid };

// What the page display holds after a whole send: the pages are shown from the first request
// on, or from the failed one on (the display opens for the user to decide).
enum class PagesShown { None, EveryPageButTheRedirect, FromTheLateAnswerOn };

struct Whole {
    QString message;
    Method method = Method::Free;
    bool confirmation = false;
    bool answeredLate = false; // the first part answered after the time-out, then Retry
    bool showPages = false;    // the "showiewindow" setting
    QList<Sent> sent;
    PagesShown pages = PagesShown::None;
};

} // namespace

Q_DECLARE_METATYPE(Whole)

class TestOperatorSite : public QObject {
    Q_OBJECT
    std::optional<Fixture> f;
    QList<Sent> outbox() const {
        QList<Sent> out;
        for (const QJsonObject& o : f->sim.outbox())
            out.append({o["number"].toString(), o["type"].toString(), o["text"].toString()});
        return out;
    }
    QStringList paths() const { return f->sim.requestPaths(); }
    // The requests the site received, each with the headers less what any browser sends (a
    // User-Agent like the HTTP_UserAgent, pages asked for uncompressed).
    QList<Request> received() const {
        static const QRegularExpression fields(
            "^data=firstname=Alice&username=alice&dest=[^&]+&mID=[^&]+&mAT=[^&]+&QE3=[^&]+$");
        const QStringList commonNames = {"host", "content-length", "connection", "accept-language",
                                         "cookie"};
        const QList<Header> commonHeaders = {{"accept-encoding", "identity"},
                                             {"user-agent", kAgent}};
        QList<Request> out;
        for (const QJsonObject& r : f->sim.requests()) {
            Request request{.method = r["method"].toString(),
                            .address =
                                r["scheme"].toString() + "://" +
                                (r["scheme"] == "https" ? f->sim.portalHost() : f->sim.smsHost()) +
                                r["path"].toString(),
                            .body = r["body"].toString()};
            if (fields.match(request.body).hasMatch())
                request.body = kHiddenFields;
            for (const QJsonValue& h : r["headers"].toArray()) {
                const Header header{h[0].toString(), h[1].toString()};
                const QString low = header.name.toLower();
                if (!commonNames.contains(low) &&
                    !commonHeaders.contains(Header{low, header.value}))
                    request.headers.append(header);
            }
            out.append(request);
        }
        return out;
    }

private slots:
    void init() {
        f.emplace();
        QVERIFY2(f->sim.start(), qPrintable(f->sim.errorText()));
        f->sim.applyToSettings();
        session() = {.session_username = "alice", .session_password = kPassword};
    }
    void cleanup() { f.reset(); }

    // Log on (quota into session and settings), one text, log off, as the site received them.
    void wholeSend() {
        const QString text = "Tea & cake: \u00A3"
                             "3\r\n50%?";
        OperatorProtocol& site = f->site; // reporting to the send window
        ErrorWindowDriver driver;         // Abort All, should a page be wrong
        QVERIFY(site.log_on("alice", kPassword) && site.check_quota() &&
                site.send_part("07700900123", text, false) && site.log_off());
        QCOMPARE(session().quota_free, qint16(10));
        QCOMPARE(session().quota_paid, qint16(5));
        QCOMPARE(get_setting("quotaleft", ""), "10");
        QCOMPARE(get_setting("paidquotaleft", ""), "5");
        QCOMPARE(outbox(), (QList<Sent>{{"07700900123", "free", text}}));
        QCOMPARE(f->sim.quota("alice"), (QJsonObject{{"free", 9}, {"paid", 5}}));

        // Content-Type on POST only, before HTTP_UserAgent; the redirect to "dest" followed.
        const QString portal = "https://" + f->sim.portalHost();
        const QString sms = "http://" + f->sim.smsHost();
        const QString home = "/webOriginate/action/viewHomePage";
        const Header form{"Content-Type", "application/x-www-form-urlencoded"};
        const Header agent{"HTTP_UserAgent", kAgent};
        const auto referer = [](const QString& address) { return Header{"Referer", address}; };
        const QList<Request> expected{
            {.method = "POST",
             .address = portal + kLogin,
             .body = kBody + "&dest=http%3A%2F%2F" + f->sim.smsHost() + "%2F0%2C%2C899%2C00.html",
             .headers = {form, agent, referer(sms)}},
            {.method = "POST",
             .address = portal + "/login/bglogin",
             .body = kHiddenFields,
             .headers = {form, agent, referer(portal + kLogin)}},
            {.method = "GET",
             .address = sms + "/0,,899,00.html",
             .headers = {agent, referer(portal + kLogin)}},
            {.method = "GET",
             .address = sms + home,
             .headers = {agent, referer(portal + "/login/bglogin")}},
            {.method = "GET", .address = sms + home, .headers = {agent, referer(sms + kSend)}},
            {.method = "POST",
             .address = sms + kSend,
             .body = "contacts=&msisdns=07700900123&to=07700900123&subject=&howtosend=freetxt&"
                     "message=Tea%20%26%20cake%3A%20%A33%0D%0A50%25%3F&replyType=none&x=14&y=13",
             .headers = {form, agent, referer(sms + home)}},
            {.method = "POST",
             .address = sms + "/logout.html",
             .headers = {form, agent, referer(sms + "/0,,400,00.html")}}};
        QCOMPARE(received(), expected);
    }

    // Whole send jobs: 2 recipients, as the simulator's outbox holds them; with
    // "showiewindow" every page is shown from the first request on.
    void wholeJob_data() {
        QTest::addColumn<Whole>("w");
        const QString m = QString(110, u'x') + "0123456789", a = "07700900001", b = "07700900002";
        const QString hi = QString("Hello & 50% off £5 \"now\"+more ").repeated(5);
        const QString copy = "The following message was sent to 2 recipients: " + hi;
        // clang-format off
        QTest::newRow("free, two parts, continuation text, pages shown") << Whole{.message = m,
            .showPages = true, .sent = {{a, "free", m.left(113) + ">>"}, {a, "free", m.mid(113)},
            {b, "free", m.left(113) + ">>"}, {b, "free", m.mid(113)}},
            .pages = PagesShown::EveryPageButTheRedirect};
        // The copy to the user's own phone is cut to one part of 145 characters.
        QTest::newRow("paid with confirmation") << Whole{.message = hi, .method = Method::Paid,
            .confirmation = true, .sent = {{a, "paid", hi.left(143) + ">>"}, {a, "paid",
            hi.mid(143)}, {b, "paid", hi.left(143) + ">>"}, {b, "paid", hi.mid(143)},
            {"07700900999", "paid", copy.left(145)}}};
        // The site took the first text but answered too late: the user is told it may
        // have gone, and chose to send it again.
        QTest::newRow("part answered after the time-out, then Retry") << Whole{.message = "Hi",
            .answeredLate = true, .sent = {{a, "free", "Hi"}, {a, "free", "Hi"}, {b, "free",
            "Hi"}}, .pages = PagesShown::FromTheLateAnswerOn};
        // clang-format on
    }
    void wholeJob() {
        QFETCH(Whole, w);
        const auto& [message, method, confirmation, late, shown, sent, pages] = w;
        const bool paid = method == Method::Paid;
        save_setting("textclipchar", ">>");
        save_setting("confnumber", "07700900999");
        save_setting("showiewindow", shown ? "yes" : "no");
        QVERIFY(!late || f->sim.setFault(kSend, "slow", 1, 4000));
        f->site.transport().setRequestTimeout(late ? 2000 : Transport::kDefaultTimeoutMs);
        f->compose.method = paid ? 1 : 0;
        f->compose.confirmation = confirmation;
        ErrorWindowDriver driver({"cmdRetry"});
        driver.onShown = [] {
            const auto* line = ErrorWindowDriver::shown()->findChild<QLabel*>("lblDelivered");
            QVERIFY(line && line->isVisible());
        };
        f->send(message);
        QCOMPARE(outbox(), sent);
        QCOMPARE(f->quiet.messages.titles(), late ? QStringList{"Internal Error"} : QStringList{});
        QCOMPARE(driver.visits, int(late));
        const int left = (paid ? 5 : 10) - int(sent.size());
        QCOMPARE(f->sim.quota("alice")[paid ? "paid" : "free"].toInt(), left);
        QCOMPARE(paid ? session().quota_paid : session().quota_free, qint16(left));
        QCOMPARE(paths().last(), "/logout.html");
        QCOMPARE(session().last_sent_key, f->compose.to + message);
        const QStringList asked = paths();
        const qsizetype expectedPages =
            pages == PagesShown::EveryPageButTheRedirect ? asked.size() - 1
            : pages == PagesShown::FromTheLateAnswerOn   ? asked.size() - asked.indexOf(kSend)
                                                         : 0;
        QCOMPARE(f->display.pages.size(), expectedPages);
    }

    // A host or authority setting that cannot work is named in a box before any request; the
    // compose window is given back.
    void badSiteSettingRefusedBeforeAnyRequest_data() { badSiteSettingRows(); }
    void badSiteSettingRefusedBeforeAnyRequest() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, reason);
        save_setting(key, value);
        ErrorWindowDriver driver; // Abort All, should a request be made after all
        f->send("Hi");
        QCOMPARE(f->quiet.messages.titles(), QStringList{"Settings error"});
        const QString text = f->quiet.messages.asked.first().text;
        for (const QString& part : {'"' + key + '"', '"' + value + '"', reason})
            QVERIFY2(text.contains(part), qPrintable(text));
        QCOMPARE(paths(), QStringList{});
        QVERIFY(f->compose.enabled);
        QVERIFY(!f->window.isVisible());
    }

    // Cancel while the site is slow to answer a part (after 4 s), then while the error window
    // waits: the job ends at once, nothing more reaches the site, the compose window is given
    // back once.
    void cancelDuringRequest() {
        for (const int delayMs : {4000, 0}) {
            QVERIFY(f->sim.setFault(kSend, delayMs ? "slow" : "wrongpage", 1, delayMs));
            session().last_sent_key = "before";
            f->compose.calls.clear();
            auto* step = f->window.findChild<QLabel*>("lblMessage");
            int ticks = 0; // of 10 ms, while a part is under way
            bool windowSeen = false;
            QTimer poll;
            connect(&poll, &QTimer::timeout, [&] {
                windowSeen = windowSeen || ErrorWindowDriver::shown();
                if (step->text().startsWith("Sending message part") && ++ticks == 30)
                    f->window.findChild<QPushButton*>("cmdCancel")->click();
            });
            poll.start(10);
            QElapsedTimer clock;
            clock.start();
            f->send("Hi");
            const qint64 took = clock.elapsed();
            QCOMPARE(windowSeen, delayMs == 0);
            QVERIFY(!ErrorWindowDriver::shown());
            QVERIFY(!f->display.isOpen());
            QVERIFY2(took < qMax(delayMs, 3000), qPrintable(QString::number(took)));
            QCOMPARE(f->compose.calls.join(" "), "enable raise update_status_bar repaint");
            QVERIFY(!f->window.isVisible());
            QCOMPARE(session().last_sent_key, QString("before"));
            // Let a slow answer arrive: still nothing after the cancelled part.
            QTest::qWait(qMax(0, delayMs - int(took)) + 300);
            QCOMPARE(paths().last(), kSend);
            QCOMPARE(paths().count(kSend), delayMs ? 1 : 2);
        }
    }
};

QTEST_MAIN(TestOperatorSite)
#include "tst_operator_site.moc"
