// Whole send jobs against the operator-site simulator.

#include "core/session_state.h"
#include "core/settings.h"
#include "session/operator_protocol.h"
#include "session/send_window.h"

#include "error_window_driver.h"
#include "support/doubles.h"
#include "support/fake_compose_host.h"
#include "support/opsim.h"
#include "support/page_display_double.h"
#include "support/temp_settings.h"
#include "watched_site.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace zemble;
using namespace zemble::test;

namespace {

const QString kSendPath = QStringLiteral("/webOriginate/action/sendMessage");

struct Sent {
    QString number;
    QString type;
    QString text;
    bool operator==(const Sent&) const = default;
};

} // namespace

namespace QTest {
template <> char* toString(const Sent& s) {
    return qstrdup(qPrintable(s.number + u'|' + s.type + u'|' + s.text));
}
} // namespace QTest

class TestSendJobSite : public QObject {
    Q_OBJECT
private slots:
    void init() {
        settings = std::make_unique<TempSettings>();
        quiet = std::make_unique<QuietPlatform>();
        display = std::make_unique<RecordingPageDisplay>();
        displayGuard =
            std::make_unique<platform::ScopedService<platform::PageDisplayService>>(display.get());
        sim = std::make_unique<OpSim>();
        QVERIFY2(sim->start(), qPrintable(sim->errorText()));
        sim->applyToSettings();
        session() = SessionState{};
        session().session_username = QStringLiteral("alice");
        session().session_password = QStringLiteral("secret");
        protocol = std::make_unique<OperatorProtocol>();
        watched = std::make_unique<WatchedSite>(*protocol);
        compose = std::make_unique<FakeComposeHost>();
        compose->enabled = false;
        window = std::make_unique<SendWindow>(*watched, *compose);
    }
    void cleanup() {
        window.reset();
        compose.reset();
        watched.reset();
        protocol.reset();
        sim.reset();
        displayGuard.reset();
        display.reset();
        quiet.reset();
        settings.reset();
    }

    void whole_job_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<bool>("confirmation");
        QTest::addColumn<QList<Sent>>("sent");
        QTest::addColumn<QStringList>("percentages");
        const QString a = QStringLiteral("07700900001");
        const QString b = QStringLiteral("07700900002");
        const QString me = QStringLiteral("07700900999");
        const QString m120 = QString(110, u'x') + QStringLiteral("0123456789");
        QTest::newRow("free, two parts, clip")
            << m120 << 0 << ">>" << false
            << QList<Sent>{{a, "free", m120.left(113) + ">>"},
                           {a, "free", m120.mid(113)},
                           {b, "free", m120.left(113) + ">>"},
                           {b, "free", m120.mid(113)}}
            << QStringList{"0", "14", "28", "42", "57", "71", "85", "100"};
        const QString hello = QStringLiteral("Hello & 50% off £5 \"now\"+more");
        QTest::newRow("paid with confirmation")
            << hello << 1 << "" << true
            << QList<Sent>{{a, "paid", hello},
                           {b, "paid", hello},
                           {me, "paid", "The following message was sent to 2 recipients: " + hello}}
            << QStringList{"0", "16", "33", "50", "66", "83", "100"};
    }
    void whole_job() {
        QFETCH(QString, message);
        QFETCH(int, method);
        QFETCH(QString, clip);
        QFETCH(bool, confirmation);
        QFETCH(QList<Sent>, sent);
        QFETCH(QStringList, percentages);
        save_setting("textclipchar", clip);
        save_setting("confnumber", "07700900999");
        compose->to = QStringLiteral("07700900001 ; 07700900002");
        compose->message = message;
        compose->method = method;
        compose->confirmation = confirmation;
        QStringList seen;
        auto* done = window->findChild<QLabel*>("lblDone");
        watched->before = [&](const QString&) {
            seen.append(done->text().section(u'%', 0, 0));
            QCOMPARE(window->windowTitle(), done->text());
        };
        window->show();
        window->send_message();
        seen.append(done->text().section(u'%', 0, 0));
        QCOMPARE(seen, percentages);

        QList<Sent> got;
        for (const QJsonObject& o : sim->outbox()) {
            QCOMPARE(o.value("account").toString(), QStringLiteral("alice"));
            got.append({o.value("number").toString(), o.value("type").toString(),
                        o.value("text").toString()});
        }
        QCOMPARE(got, sent);
        QVERIFY(quiet->messages.asked.isEmpty());
        QCOMPARE(compose->count("enable"), 1);
        QCOMPARE(compose->count("update_status_bar"), 1);
        QVERIFY(!window->isVisible());
        QCOMPARE(session().last_sent_key, compose->to + compose->message);
        // The quota as the site now counts it.
        const QJsonObject quota = sim->quota("alice");
        const int used = int(sent.size());
        QCOMPARE(quota.value(method == 0 ? "free" : "paid").toInt(), (method == 0 ? 10 : 5) - used);
        QCOMPARE(method == 0 ? session().quota_free : session().quota_paid,
                 qint16((method == 0 ? 10 : 5) - used));
        QCOMPARE(paths().last(), QStringLiteral("/logout.html"));
        QVERIFY(!session().logged_in);
    }

    // With "dontlogout" the second job uses the session the first one kept.
    void kept_session() {
        save_setting("dontlogout", "yes");
        compose->to = QStringLiteral("07700900001");
        compose->message = QStringLiteral("first");
        window->show();
        window->send_message();
        QVERIFY(session().logged_in);
        const QStringList first = paths();
        QVERIFY(first.contains("/login/mblogin"));
        QVERIFY(!first.contains("/logout.html"));

        compose->message = QStringLiteral("second");
        compose->enabled = false;
        window->show();
        window->send_message();
        const QStringList second = paths().mid(first.size());
        QCOMPARE(second, (QStringList{kSendPath, "/webOriginate/action/viewHomePage"}));
        QCOMPARE(sim->outbox().size(), 2);
        QCOMPARE(sim->outbox().last().value("text").toString(), QStringLiteral("second"));
        QCOMPARE(compose->count("enable"), 2);

        // The exit path logs the kept session off.
        window->exit_log_off();
        QCOMPARE(paths().last(), QStringLiteral("/logout.html"));
        QCOMPARE(quiet->pauses.afterEvents, QList<int>{1000});
    }

    // A kept session that the site has ended: the refused first part ends
    // that job, and the next job logs on afresh instead of failing again.
    void expired_kept_session() {
        save_setting("dontlogout", "yes");
        compose->to = QStringLiteral("07700900001");
        compose->message = QStringLiteral("first");
        window->show();
        window->send_message();
        QVERIFY(session().logged_in);
        QVERIFY(sim->endSessions());

        compose->message = QStringLiteral("second");
        {
            ErrorWindowDriver driver({"cmdAbort"});
            window->show();
            window->send_message();
            QCOMPARE(driver.visits, 1);
        }
        QCOMPARE(sim->outbox().size(), 1);
        QVERIFY(!session().logged_in);
        QCOMPARE(compose->count("enable"), 2);

        session().session_password = QStringLiteral("secret");
        const int before = int(paths().size());
        window->show();
        window->send_message();
        const QStringList third = paths().mid(before);
        QCOMPARE(third.first(), QStringLiteral("/login/mblogin"));
        QCOMPARE(sim->outbox().size(), 2);
        QCOMPARE(sim->outbox().last().value("text").toString(), QStringLiteral("second"));
        QVERIFY(session().logged_in);
    }

    // Cancel while the site is slow to answer a part, or while the error
    // window waits for a choice: the job ends at once, nothing more reaches
    // the site, the compose window is given back once.
    void cancel_during_request_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("delayMs");
        QTest::newRow("slow answer") << "slow" << 4000;
        QTest::newRow("error window up") << "wrongpage" << 0;
    }
    void cancel_during_request() {
        QFETCH(QString, fault);
        QFETCH(int, delayMs);
        QVERIFY(sim->setFault(kSendPath, fault, 1, delayMs));
        compose->to = QStringLiteral("07700900001 ; 07700900002");
        compose->message = QStringLiteral("Hi");
        session().last_sent_key = QStringLiteral("before");
        auto* step = window->findChild<QLabel*>("lblMessage");
        QElapsedTimer sinceSend;
        bool errorWindowSeen = false;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, [&] {
            if (!step->text().startsWith(QLatin1String("Sending message part")))
                return;
            errorWindowSeen = errorWindowSeen || ErrorWindowDriver::visible_window();
            if (!sinceSend.isValid())
                sinceSend.start();
            else if (sinceSend.elapsed() > 300 && (delayMs > 0 || errorWindowSeen))
                window->findChild<QPushButton*>("cmdCancel")->click();
        });
        poll.start();
        QElapsedTimer clock;
        clock.start();
        window->show();
        window->send_message();
        const qint64 took = clock.elapsed();
        poll.stop();
        QCOMPARE(errorWindowSeen, delayMs == 0);
        QVERIFY(!ErrorWindowDriver::visible_window());
        QCOMPARE(display->opens, delayMs == 0 ? 1 : 0);
        QVERIFY(!display->isOpen());
        if (delayMs > 0)
            QVERIFY2(took < delayMs, qPrintable(QString::number(took)));
        QCOMPARE(compose->count("enable"), 1);
        QCOMPARE(compose->count("raise"), 1);
        QCOMPARE(compose->count("update_status_bar"), 1);
        QVERIFY(!window->isVisible());
        QCOMPARE(session().last_sent_key, QStringLiteral("before"));
        QVERIFY(quiet->pauses.blocked.isEmpty());

        // Let a slow answer arrive: still nothing after the cancelled part.
        QTest::qWait(qMax(0, delayMs - int(took)) + 300);
        QCOMPARE(paths().last(), kSendPath);
        QCOMPARE(paths().count(kSendPath), 1);
    }

private:
    QStringList paths() const {
        QStringList out;
        for (const QJsonObject& r : sim->requests())
            out.append(r.value("path").toString());
        return out;
    }

    std::unique_ptr<TempSettings> settings;
    std::unique_ptr<QuietPlatform> quiet;
    std::unique_ptr<RecordingPageDisplay> display;
    std::unique_ptr<platform::ScopedService<platform::PageDisplayService>> displayGuard;
    std::unique_ptr<OpSim> sim;
    std::unique_ptr<OperatorProtocol> protocol;
    std::unique_ptr<WatchedSite> watched;
    std::unique_ptr<FakeComposeHost> compose;
    std::unique_ptr<SendWindow> window;
};

QTEST_MAIN(TestSendJobSite)
#include "tst_send_job_site.moc"
