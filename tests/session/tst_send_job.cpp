#include "addressbook/contact_store.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "session/send_job.h"
#include "session/send_window.h"

#include "scripted_site.h"
#include "support/doubles.h"
#include "support/fake_compose_host.h"
#include "support/temp_settings.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace zemble;
using namespace zemble::test;
using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

// "07700900001 ; 07700900002 ; ..." with n entries.
QString numbers(int n) {
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out.append(QStringLiteral("077009%1").arg(i, 5, 10, QChar(u'0')));
    return out.join(QStringLiteral(" ; "));
}

// A free-text message of exactly `parts` parts without a continuation text.
QString message_of(int parts) {
    return parts == 0 ? QString() : QString(115 * (parts - 1) + 1, u'm');
}

// One test's world: settings, quiet platform, a clean session and address
// book, the scripted site, the compose double and the window under test.
struct Rig {
    TempSettings settings;
    QuietPlatform platform;
    ScriptedSite site;
    FakeComposeHost compose;
    SendWindow window{site, compose};

    Rig() {
        session() = SessionState{};
        session().session_username = QStringLiteral("alice");
        session().session_password = QStringLiteral("secret");
        contacts() = ContactStore{};
        compose.enabled = false; // the Send command disabled it
    }
    template <class T> T* find(const char* name) {
        T* child = window.findChild<T*>(QLatin1String(name));
        if (!child)
            qFatal("control %s missing", name);
        return child;
    }
    QString text(const char* label) { return find<QLabel>(label)->text(); }
    void start() {
        window.show();
        window.send_message();
    }
    // The compose window has been given back exactly once, nothing else.
    bool givenBackOnce() const {
        return compose.count("enable") == 1 && compose.count("raise") == 1 &&
               compose.count("update_status_bar") == 1 && compose.enabled;
    }
};

const QString kRecipientsText = QStringLiteral("You cannot send SMS' to more than 30 recipients");

QString warning_text(int total) {
    return QStringLiteral(
               "You have requested that Zemble send %1 text messages via O2.\r\n\r\n"
               "You are reminded that sending excessive text messages may alert O2 into "
               "thinking\r\n"
               "you are spamming and may cause your account to be disabled.\r\n\r\n"
               "Please be aware that the author of Zemble accepts no responsibility for the "
               "actions\r\n"
               "of the O2 administrators through the usage of this software.\r\n\r\n"
               "Would you like to continue and send these messages?")
        .arg(total);
}

QString exceeds_text(int total) {
    return QStringLiteral("You have requested that Zemble send %1 text messages via O2.\r\n\r\n"
                          "This number exceeds the maximum allowed and, as such, you will not be "
                          "able to continue.")
        .arg(total);
}

} // namespace

using Boxes = QList<platform::MessageBoxRequest>;
Q_DECLARE_METATYPE(Boxes)
Q_DECLARE_METATYPE(Answer)

class TestSendJob : public QObject {
    Q_OBJECT
private slots:
    void limits_data() {
        QTest::addColumn<int>("recipients");
        QTest::addColumn<int>("parts");
        QTest::addColumn<bool>("noLimit");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<Boxes>("boxes");
        QTest::addColumn<int>("steps");

        const auto spam = [](const QString& text, Icon icon) {
            return platform::MessageBoxRequest{"Spam warning", text, icon, Buttons::Ok};
        };
        const auto warn = [](int total) {
            return platform::MessageBoxRequest{"Message warning", warning_text(total),
                                               Icon::Information, Buttons::YesNo};
        };
        QTest::newRow("31 recipients refused first")
            << 31 << 4 << false << QList<Answer>{}
            << Boxes{spam(kRecipientsText, Icon::Exclamation)} << 0;
        QTest::newRow("30 recipients asked, then allowed")
            << 30 << 1 << false << QList<Answer>{Answer::Yes} << Boxes{warn(30)} << 33;
        QTest::newRow("total 10 asks nothing")
            << 2 << 5 << false << QList<Answer>{} << Boxes{} << 13;
        QTest::newRow("total 12, yes")
            << 3 << 4 << false << QList<Answer>{Answer::Yes} << Boxes{warn(12)} << 15;
        QTest::newRow("total 12, no")
            << 3 << 4 << false << QList<Answer>{Answer::No} << Boxes{warn(12)} << 0;
        QTest::newRow("total 31, yes then refused")
            << 1 << 31 << false << QList<Answer>{Answer::Yes}
            << Boxes{warn(31), spam(exceeds_text(31), Icon::Information)} << 0;
        QTest::newRow("total 31, no")
            << 1 << 31 << false << QList<Answer>{Answer::No} << Boxes{warn(31)} << 0;
        QTest::newRow("no limit, 31 recipients")
            << 31 << 1 << true << QList<Answer>{} << Boxes{} << 34;
        QTest::newRow("no limit, total 62") << 31 << 2 << true << QList<Answer>{} << Boxes{} << 65;
    }
    void limits() {
        QFETCH(int, recipients);
        QFETCH(int, parts);
        QFETCH(bool, noLimit);
        QFETCH(QList<Answer>, answers);
        QFETCH(Boxes, boxes);
        QFETCH(int, steps);
        Rig rig;
        save_setting("nosendlimit", noLimit ? "yes" : "no");
        rig.compose.to = numbers(recipients);
        rig.compose.message = message_of(parts);
        for (Answer a : answers)
            rig.platform.messages.answers.enqueue(a);

        QCOMPARE(rig.window.check_send_limits(), steps);
        QCOMPARE(rig.platform.messages.asked.size(), boxes.size());
        for (int i = 0; i < boxes.size(); ++i) {
            const auto& got = rig.platform.messages.asked.at(i);
            QCOMPARE(got.title, boxes.at(i).title);
            QCOMPARE(got.text, boxes.at(i).text);
            QCOMPARE(got.icon, boxes.at(i).icon);
            QCOMPARE(got.buttons, boxes.at(i).buttons);
        }
    }

    // A refused job sends nothing, pauses nowhere and gives the compose
    // window back.
    void refusal_sends_nothing_data() {
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("parts");
        QTest::addColumn<Answer>("answer");
        QTest::newRow("too many recipients") << numbers(31) << 1 << Answer::Yes;
        QTest::newRow("warning answered no") << numbers(3) << 4 << Answer::No;
        QTest::newRow("too many messages") << numbers(1) << 31 << Answer::Yes;
        // Nothing resolves to a number: no log-on, no send recorded as done.
        QTest::newRow("only spaces") << QStringLiteral("   ") << 1 << Answer::Yes;
        QTest::newRow("unknown name") << QStringLiteral("Nobody") << 1 << Answer::Yes;
    }
    void refusal_sends_nothing() {
        QFETCH(QString, to);
        QFETCH(int, parts);
        QFETCH(Answer, answer);
        Rig rig;
        rig.platform.messages.yesNoFallback = answer;
        rig.compose.to = to;
        rig.compose.message = message_of(parts);
        session().last_sent_key = QStringLiteral("before");
        rig.start();
        QVERIFY(rig.site.calls.isEmpty());
        QVERIFY(rig.platform.pauses.blocked.isEmpty());
        QCOMPARE(session().last_sent_key, QStringLiteral("before"));
        QVERIFY(rig.givenBackOnce());
        QVERIFY(!rig.window.isVisible());
        QCOMPARE(rig.site.unloads, 1);
    }

    // Which requests a job makes, and that its step count matches them: the
    // bar ends exactly full.
    void steps_data() {
        QTest::addColumn<QString>("confNumber");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<bool>("dontLogout");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QStringList>("ops");
        QTest::addColumn<bool>("loggedInAfter");
        const QStringList four(4, QStringLiteral("send_part"));
        const QStringList full =
            QStringList{"log_on"} + four + QStringList{"check_quota", "log_off"};
        QTest::newRow("plain") << "" << false << false << false << 7 << full << false;
        QTest::newRow("a session left from a 'no' job is dropped")
            << "" << false << false << true << 7 << full << false;
        QTest::newRow("confirmation")
            << "07700900999" << true << false << false << 8
            << QStringList{"log_on"} + four + QStringList{"send_part", "check_quota", "log_off"}
            << false;
        QTest::newRow("confirmation not ticked")
            << "07700900999" << false << false << false << 7 << full << false;
        QTest::newRow("ticked without a number")
            << "" << true << false << false << 7 << full << false;
        QTest::newRow("stay logged in, first job")
            << "" << false << true << false << 6
            << QStringList{"log_on"} + four + QStringList{"check_quota"} << true;
        QTest::newRow("kept session")
            << "" << false << true << true << 5 << four + QStringList{"check_quota"} << true;
        QTest::newRow("kept session with confirmation")
            << "07700900999" << true << true << true << 6
            << four + QStringList{"send_part", "check_quota"} << true;
    }
    void steps() {
        QFETCH(QString, confNumber);
        QFETCH(bool, tick);
        QFETCH(bool, dontLogout);
        QFETCH(bool, loggedIn);
        QFETCH(int, steps);
        QFETCH(QStringList, ops);
        QFETCH(bool, loggedInAfter);
        Rig rig;
        save_setting("confnumber", confNumber);
        save_setting("dontlogout", dontLogout ? "yes" : "no");
        session().logged_in = loggedIn;
        rig.compose.to = numbers(2);
        rig.compose.message = message_of(2);
        rig.compose.confirmation = tick;
        rig.start();
        QCOMPARE(rig.site.ops(), ops);
        auto* bar = rig.find<QProgressBar>("pbMessage");
        QCOMPARE(bar->maximum(), steps);
        QCOMPARE(bar->value(), steps);
        QCOMPARE(rig.text("lblDone"), QStringLiteral("100% completed"));
        rig.window.up_percentage(); // at the maximum nothing changes
        QCOMPARE(bar->value(), steps);
        QCOMPARE(session().logged_in, loggedInAfter);
        QVERIFY(rig.givenBackOnce());
        QCOMPARE(rig.platform.pauses.blocked, QList<int>{2000});
    }

    // What the window shows while each request is in flight.
    void progress_display() {
        Rig rig;
        add_contact(QStringLiteral("Bob"), QStringLiteral("07700900123"), false);
        save_setting("confnumber", "07700900999");
        rig.compose.to = QStringLiteral(" Bob  ; 07700900002");
        rig.compose.message = message_of(2);
        rig.compose.confirmation = true;
        rig.compose.confNumberField = QStringLiteral("07700 900999");
        QStringList seen;
        rig.site.during = [&](const ScriptedSite::Call&) {
            QCOMPARE(rig.window.windowTitle(), rig.text("lblDone"));
            seen.append(rig.text("lblDone") + u'|' + rig.text("lblMessage"));
        };
        rig.start();
        const QStringList expected{
            "0% completed|Logging onto O2 as 'alice' ...",
            "12% completed|Sending message part 1 of 2 to Bob ...",
            "25% completed|Sending message part 2 of 2 to Bob ...",
            "37% completed|Sending message part 1 of 2 to 07700900002 ...",
            "50% completed|Sending message part 2 of 2 to 07700900002 ...",
            "62% completed|Sending confirmation SMS to 07700 900999 ...",
            "75% completed|Checking text message quota ...",
            "87% completed|Logging out of O2 ...",
        };
        QCOMPARE(seen, expected);
        QCOMPARE(rig.text("lblDone"), QStringLiteral("100% completed"));
        QCOMPARE(rig.window.windowTitle(), QStringLiteral("100% completed"));
        QCOMPARE(rig.text("lblMessage"), QStringLiteral("Finished."));
        QCOMPARE(rig.site.calls.first().text, QStringLiteral("alice/secret"));
        const auto parts = rig.site.parts();
        QCOMPARE(parts.size(), 5);
        QCOMPARE(parts.at(0).number, QStringLiteral("07700900123"));
        QCOMPARE(parts.at(2).number, QStringLiteral("07700900002"));
        QCOMPARE(parts.at(4).number, QStringLiteral("07700900999"));
    }

    // The copy to the user's own phone fills one part at most.
    void confirmation_data() {
        QTest::addColumn<int>("recipients");
        QTest::addColumn<int>("partLength");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("two, free")
            << 2 << 115 << "The following message was sent to 2 recipients: ";
        QTest::newRow("one, paid") << 1 << 145 << "The following message was sent to 1 recipient: ";
    }
    void confirmation() {
        QFETCH(int, recipients);
        QFETCH(int, partLength);
        QFETCH(QString, prefix);
        QCOMPARE(confirmation_text(recipients, QString(200, u'x'), qint16(partLength)),
                 prefix + QString(partLength - prefix.size(), u'x'));
        QCOMPARE(confirmation_text(recipients, "Hi", qint16(partLength)), prefix + "Hi");
    }

    // A failed request ends the job at once: nothing more is asked of the
    // site, nothing is recorded, no pause.
    void failure_ends_job_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("okBefore");
        QTest::addColumn<QStringList>("ops");
        const QString s = QStringLiteral("send_part");
        QTest::newRow("log on") << "log_on" << 0 << QStringList{"log_on"};
        QTest::newRow("first part") << s << 0 << QStringList{"log_on", s};
        QTest::newRow("third part") << s << 2 << QStringList{"log_on", s, s, s};
        QTest::newRow("confirmation") << s << 4 << QStringList{"log_on", s, s, s, s, s};
    }
    void failure_ends_job() {
        QFETCH(QString, op);
        QFETCH(int, okBefore);
        QFETCH(QStringList, ops);
        Rig rig;
        save_setting("confnumber", "07700900999");
        save_setting("logsent", "yes");
        save_setting("smsloglocation", rig.settings.dir.filePath("sent.log"));
        rig.compose.to = numbers(2);
        rig.compose.message = message_of(2);
        rig.compose.confirmation = true;
        for (int i = 0; i < okBefore; ++i)
            rig.site.results[op].enqueue(true);
        rig.site.results[op].enqueue(false);
        session().last_sent_key = QStringLiteral("before");
        rig.start();
        QCOMPARE(rig.site.ops(), ops);
        QCOMPARE(session().last_sent_key, QStringLiteral("before"));
        QVERIFY(rig.platform.pauses.blocked.isEmpty());
        QVERIFY(!QFile::exists(rig.settings.dir.filePath("sent.log")));
        QVERIFY(rig.givenBackOnce());
        QCOMPARE(rig.site.unloads, 1);
        QVERIFY(!rig.window.isVisible());
    }

    // Cancel, pressed while any request is in flight, ends the job without
    // one more request and gives the compose window back once.
    void cancel_data() {
        QTest::addColumn<int>("at");
        QTest::addColumn<bool>("byFrame");
        for (int at = 0; at < 8; ++at) {
            QTest::addRow("button, request %d", at) << at << false;
            QTest::addRow("frame, request %d", at) << at << true;
        }
    }
    void cancel() {
        QFETCH(int, at);
        QFETCH(bool, byFrame);
        Rig rig;
        save_setting("confnumber", "07700900999");
        rig.compose.to = numbers(2);
        rig.compose.message = message_of(2);
        rig.compose.confirmation = true;
        session().last_sent_key = QStringLiteral("before");
        rig.site.during = [&](const ScriptedSite::Call&) {
            if (rig.site.calls.size() - 1 != at)
                return;
            if (byFrame)
                rig.window.close();
            else
                rig.find<QPushButton>("cmdCancel")->click();
            QVERIFY(!rig.window.isVisible());
        };
        rig.start();
        QCOMPARE(rig.site.calls.size(), at + 1);
        QVERIFY(rig.site.refused.isEmpty());
        QCOMPARE(rig.site.cancels, 1);
        QVERIFY(rig.givenBackOnce());
        QCOMPARE(rig.compose.count("repaint"), 1);
        QVERIFY(!rig.window.isVisible());
        QCOMPARE(session().last_sent_key, QStringLiteral("before"));
        QVERIFY(rig.platform.pauses.blocked.isEmpty());
        if (byFrame)
            QCOMPARE(rig.text("lblStatus"), QStringLiteral("Status: "));

        // The next job starts afresh.
        rig.site.during = {};
        rig.site.calls.clear();
        rig.compose.calls.clear();
        rig.window.show();
        rig.window.send_message();
        QCOMPARE(rig.site.calls.size(), 8);
        QVERIFY(rig.givenBackOnce());
        QCOMPARE(session().last_sent_key, rig.compose.to + rig.compose.message);
    }

    // A kept session that refuses the first part is dropped so that the next
    // job logs on again; one that has already sent something is kept.
    void kept_session_refusal_data() {
        QTest::addColumn<bool>("keptBefore");
        QTest::addColumn<int>("okBefore");
        QTest::addColumn<bool>("loggedInAfter");
        QTest::newRow("kept, first part refused") << true << 0 << false;
        QTest::newRow("kept, later part refused") << true << 1 << true;
        QTest::newRow("fresh log-on, first part refused") << false << 0 << true;
    }
    void kept_session_refusal() {
        QFETCH(bool, keptBefore);
        QFETCH(int, okBefore);
        QFETCH(bool, loggedInAfter);
        Rig rig;
        save_setting("dontlogout", "yes");
        session().logged_in = keptBefore;
        rig.compose.to = numbers(1);
        rig.compose.message = message_of(2);
        for (int i = 0; i < okBefore; ++i)
            rig.site.results["send_part"].enqueue(true);
        rig.site.results["send_part"].enqueue(false);
        rig.start();
        QCOMPARE(session().logged_in, loggedInAfter);
        QCOMPARE(rig.site.ops().count("log_on"), keptBefore ? 0 : 1);
    }

    // A completed job is remembered, and logged when asked: a four-line
    // record (here five file lines, the message having two).
    void recorded_after_job_data() {
        QTest::addColumn<bool>("logsent");
        QTest::newRow("logged") << true;
        QTest::newRow("not logged") << false;
    }
    void recorded_after_job() {
        QFETCH(bool, logsent);
        Rig rig;
        const QString log = rig.settings.dir.filePath("sent.log");
        save_setting("logsent", logsent ? "yes" : "no");
        save_setting("smsloglocation", log);
        rig.compose.to = numbers(2);
        rig.compose.message = QStringLiteral("Hello\r\nthere");
        rig.start();
        QCOMPARE(session().last_sent_key, rig.compose.to + rig.compose.message);
        static const QRegularExpression format(
            "^(Mon|Tues|Wednes|Thurs|Fri|Satur|Sun)day [1-9]\\d? "
            "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \\d{4}, "
            "(0[1-9]|1[0-2]):[0-5]\\d:[0-5]\\d (am|pm)$");
        QVERIFY2(format.match(session().last_sent_time).hasMatch(),
                 qPrintable(session().last_sent_time));
        QFile file(log);
        QCOMPARE(file.open(QIODevice::ReadOnly), logsent);
        if (logsent)
            QCOMPARE(QString::fromLatin1(file.readAll()),
                     "To: " + rig.compose.to + "\r\nDate: " + session().last_sent_time +
                         "\r\nMessage: Hello\r\nthere\r\n\r\n");
    }

    void sent_time_data() {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("text");
        QTest::newRow("evening") << QDateTime(QDate(2003, 5, 22), QTime(19, 3, 9))
                                 << "Thursday 22 May 2003, 07:03:09 pm";
        QTest::newRow("just after midnight")
            << QDateTime(QDate(2026, 1, 4), QTime(0, 5, 0)) << "Sunday 4 Jan 2026, 12:05:00 am";
        QTest::newRow("noon") << QDateTime(QDate(2024, 9, 30), QTime(12, 0, 59))
                              << "Monday 30 Sep 2024, 12:00:59 pm";
    }
    void sent_time() {
        QFETCH(QDateTime, when);
        QFETCH(QString, text);
        // The machine's own language does not change the record.
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString got = sent_time_text(when);
        QLocale::setDefault(previous);
        QCOMPARE(got, text);
    }

    void transfer_states_shown() {
        Rig rig;
        QCOMPARE(rig.text("lblStatus"), QStringLiteral("Status: "));
        QVERIFY(rig.site.listener);
        rig.site.listener(QStringLiteral("Status: Connecting."));
        QCOMPARE(rig.text("lblStatus"), QStringLiteral("Status: Connecting."));
    }

    void exit_log_off() {
        Rig rig;
        QSignalSpy end(&rig.window, &SendWindow::programEndRequested);
        rig.site.during = [&](const ScriptedSite::Call&) {
            QVERIFY(rig.window.isVisible());
            QCOMPARE(rig.text("lblMessage"), QStringLiteral("Logging out of O2 and exiting ..."));
            QCOMPARE(rig.text("lblDone"), QStringLiteral("0% completed"));
            QCOMPARE(rig.find<QPushButton>("cmdCancel")->text(), QStringLiteral("End"));
            QCOMPARE(rig.find<QProgressBar>("pbMessage")->maximum(), 1);
            QCOMPARE(rig.find<QProgressBar>("pbMessage")->value(), 0);
        };
        rig.window.exit_log_off();
        QCOMPARE(rig.site.ops(), QStringList{"log_off"});
        QCOMPARE(rig.text("lblMessage"), QStringLiteral("Finished."));
        QCOMPARE(rig.text("lblDone"), QStringLiteral("100% complete"));
        QCOMPARE(rig.find<QProgressBar>("pbMessage")->value(), 1);
        QCOMPARE(rig.platform.pauses.afterEvents, QList<int>{1000});
        QCOMPARE(rig.site.unloads, 1);
        QCOMPARE(end.count(), 0);
    }

    // "End" ends the program at once, also in the middle of the log-off.
    void exit_log_off_ended_data() {
        QTest::addColumn<bool>("byFrame");
        QTest::newRow("End button") << false;
        QTest::newRow("window frame") << true;
    }
    void exit_log_off_ended() {
        QFETCH(bool, byFrame);
        Rig rig;
        QSignalSpy end(&rig.window, &SendWindow::programEndRequested);
        // Ending the program closes every window, this one included.
        connect(&rig.window, &SendWindow::programEndRequested, &rig.window, &QWidget::close);
        rig.site.during = [&](const ScriptedSite::Call&) {
            if (byFrame)
                rig.window.close();
            else
                rig.find<QPushButton>("cmdCancel")->click();
        };
        rig.window.exit_log_off();
        QCOMPARE(end.count(), 1);
        QVERIFY(rig.site.cancelled());
        QVERIFY(rig.platform.pauses.afterEvents.isEmpty());
        QCOMPARE(rig.site.unloads, 1);
        QVERIFY(rig.compose.calls.isEmpty());
    }
};

QTEST_MAIN(TestSendJob)
#include "tst_send_job.moc"
