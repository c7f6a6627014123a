#include "addressbook/contact_store.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "platform/keyboard.h"
#include "session/job_settings.h"
#include "session/operator_site.h"
#include "session/send_job.h"
#include "session/send_window.h"
#include "session/sent_log.h"

#include "support/doubles.h"
#include "support/fake_compose_host.h"
#include "support/files.h"
#include "support/other_user.h"
#include "support/screen_reader.h"
#include "support/temp_settings.h"

#include <QtTest>
#include <QtWidgets>

#include <cerrno>
#include <cstring>

using namespace zemble;
using namespace zemble::test;

namespace {

// Records each request ("on", "part", "quota", "off"), running `during` while it is in
// flight; it succeeds unless `fails` names it (after `okBefore` successes).
class ScriptedSite final : public OperatorSite {
public:
    bool log_on(const QString&, const QString&) override { return run("on"); }
    // A quota check that runs its course reads 7 free texts.
    bool check_quota() override { return run("quota") && (session().quota_free = 7); }
    bool send_part(const QString&, const QString&, bool) override { return run("part"); }
    bool log_off() override { return run("off"); }
    void unloadIE() override { ++unloads; }
    void setFront(TransportFront*) override {}
    bool mayHaveArrived() const override { return false; }
    void cancel() override { cancelled_ = ++cancels; }
    bool cancelled() const override { return cancelled_; }
    void resetCancel() override { cancelled_ = false; }
    void setStatusListener(std::function<void(const QString&)> listener) override {
        status = std::move(listener);
    }

    QStringList ops, refused; // refused: tried after Cancel
    QString fails;
    int okBefore = 0, unloads = 0, cancels = 0;
    std::function<void()> during;
    std::function<void(const QString&)> status; // the window's transfer-state line

private:
    bool run(const QString& op) {
        if (cancelled_)
            return refused.append(op), false;
        ops.append(op);
        if (during)
            during();
        return !cancelled_ && (op != fails || okBefore-- > 0);
    }
    bool cancelled_ = false;
};

// A carrier that takes each text in a request of its own: no log-on, quota or
// log-off.  Records "number: text" for each text.
class CarrierWithoutSession final : public Carrier {
public:
    bool hasSession() const override { return false; }
    bool log_on(const QString&, const QString&) override { return calls.append("on"), true; }
    bool check_quota() override { return calls.append("quota"), true; }
    bool send_part(const QString& number, const QString& text, bool) override {
        calls.append(number + ": " + text);
        return true;
    }
    bool log_off() override { return calls.append("off"), true; }
    bool mayHaveArrived() const override { return false; }
    bool cancelled() const override { return false; }
    QStringList calls;
};

// The job's settings as plain fields, away from the settings store.
struct FixedJobSettings final : JobSettings {
    bool keepsLoggedOn() const override { return keep; }
    bool sendLimitOff() const override { return false; }
    QString confirmationNumber() const override { return confirmation; }
    QString clipText() const override { return {}; }
    bool logsSent() const override { return false; }
    std::optional<SiteSettingProblem> siteProblem() const override { return std::nullopt; }
    bool keep = false;
    QString confirmation;
};

// The steps a job announces and the questions it would ask, recorded.
struct JobWatcher final : SendJobListener, SendJobQuestions {
    void step(SendStep, const QString& text) override { steps.append(text); }
    void progress(int value, int maximum) override { last = {value, maximum}; }
    void refuse(const JobMessage& message) override { refused.append(message.title); }
    bool goOn(const JobMessage&) override { return true; }
    void logNotSaved(const JobMessage&) override {}
    void finishedPause() override {}
    QStringList steps, refused;
    QPair<int, int> last;
};

// Every request of a job that sends `texts` texts and logs off.
QStringList everyRequest(int texts) {
    return QStringList{"on"} + QStringList(texts, "part") + QStringList{"quota", "off"};
}

QString numbers(int n) {
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out.append(QStringLiteral("077009%1").arg(i, 5, 10, QChar(u'0')));
    return out.join(" ; ");
}

struct Rig {
    TempSettings settings;
    QuietPlatform platform;
    ScriptedSite site;
    FakeComposeHost compose;
    StoredJobSettings jobSettings;
    SendWindow window{site, compose, {jobSettings, contacts(), session()}};
    const QString log = settings.dir.filePath("sent.log");

    // Free-text messages of `parts` parts without continuation text.
    explicit Rig(int recipients = 2, int parts = 2) {
        session() = {.session_username = "alice", .last_sent_key = "before"};
        contacts() = ContactStore{};
        compose.confNumberField = "07700 900 999"; // as typed in the preferences
        compose.enabled = false;                   // the Send command disabled it
        compose.to = numbers(recipients);
        compose.message = parts ? QString(115 * (parts - 1) + 1, u'm') : QString();
        save_setting("smsloglocation", log);
    }
};

QByteArray lines(int first, int last) {
    QByteArray bytes;
    for (int i = first; i <= last; ++i)
        bytes += "line " + QByteArray::number(i) + "\r\n";
    return bytes;
}

const QByteArray kRecord("To: A ; 071\r\nDate: Thursday 22 May 2003, 07:03:09 pm\r\n"
                         "Message: m\r\n\r\n");

// A message box the job showed.
struct Box {
    QString title;
    platform::Icon icon;
    platform::Buttons buttons;
    QString text;
};

// Where a job is stopped: while a request is in flight (counted from 0), by Cancel or by
// closing the progress window from its frame.
enum class StopBy { CancelButton, WindowFrame };
struct Stop {
    int duringRequest;
    StopBy by;
};

// A send job, the message boxes before and during it, how it goes.
struct Job {
    int recipients = 2, partsEach = 2;
    QString to = {}; // instead of `recipients` numbers
    bool sendLimitOff = false;
    platform::Answer warningAnswer = platform::Answer::Yes;
    QList<Box> asked = {};
    QString confirmationNumber = {};
    bool confirmationTicked = false;
    bool stayLoggedOn = false;                // "dontlogout"
    bool loggedOnBefore = false;              // a session kept from an earlier job
    QString refusedRequest = {};              // the kind of request the site refuses...
    int acceptedBeforeRefusal = 0;            // ...after taking this many of that kind
    std::optional<int> barSteps = {};         // none: refused before any request
    QStringList requests = {};                // every request made, in order
    std::optional<QStringList> percents = {}; // shown while each request is in flight and at
    std::optional<QStringList> said = {};     // the end: the percent and the step
    bool loggedOnAfter = false;
    bool logUnwritable = false;
    std::optional<Stop> stop = {};
    bool recorded = false; // remembered as sent and written to the sent-message log
};

} // namespace

Q_DECLARE_METATYPE(Job)

class TestSendJob : public QObject {
    Q_OBJECT
private slots:
    // Questions before a job, the requests it makes and its steps (the bar ends full), the
    // job remembered and logged; a refusal or a failed request sends or records nothing.
    void jobs_data() {
        QTest::addColumn<Job>("job");
        const auto row = [](const char* name, const Job& job) { QTest::newRow(name) << job; };
        const auto parts = [](int n) { return QStringList(n, "part"); };
        const auto requested = [](int n) {
            return QString("You have requested that Zemble send %1 text messages via O2.\r\n\r\n")
                .arg(n);
        };
        using platform::Buttons, platform::Icon;
        const auto warn = [&](int n) {
            return Box{
                "Message warning", Icon::Information, Buttons::YesNo,
                requested(n) +
                    "You are reminded that sending excessive text messages may alert O2 into "
                    "thinking\r\nyou are spamming and may cause your account to be "
                    "disabled.\r\n\r\n"
                    "Please be aware that the author of Zemble accepts no responsibility for the "
                    "actions\r\nof the O2 administrators through the usage of this "
                    "software.\r\n\r\n"
                    "Would you like to continue and send these messages?"};
        };
        const auto alert = [](const QString& entry) {
            return Box{"Recipient alert", Icon::Exclamation, Buttons::Ok,
                       "Zemble is going to be "
                       "unable to send your text message because these recipients have no phone "
                       "number:\r\n\r\n   \u2022  " +
                           entry +
                           "\r\n\r\nNothing has been sent. Please "
                           "check the To field and try again"};
        };
        const QString me = "07700900999";
        const QStringList all = everyRequest(4);
        // clang-format off
        row("31 recipients refused first", {.recipients = 31, .partsEach = 4,
            .asked = {{"Spam warning", Icon::Exclamation, Buttons::Ok,
                       "You cannot send SMS' to more than 30 recipients"}}});
        row("30 recipients asked", {.recipients = 30, .partsEach = 1, .asked = {warn(30)},
            .barSteps = 33, .requests = everyRequest(30), .recorded = true});
        row("total 12, no", {.recipients = 3, .partsEach = 4,
            .warningAnswer = platform::Answer::No, .asked = {warn(12)}});
        row("total 31, yes then refused", {.recipients = 1, .partsEach = 31, .asked = {warn(31),
            {"Spam warning", Icon::Information, Buttons::Ok, requested(31) + "This number exceeds "
             "the maximum allowed and, as such, you will not be able to continue."}}});
        row("no limit, total 62", {.recipients = 31, .sendLimitOff = true, .barSteps = 65,
            .requests = everyRequest(62), .recorded = true});
        // Every entry is resolved before any question: one without a number sends nothing.
        row("only spaces", {.to = "   ", .asked = {alert("(a blank entry)")}});
        row("unknown name among 31 numbers",
            {.to = numbers(31) + " ; Nobody", .asked = {alert("Nobody")}});
        // The sent-message log that cannot be written is told; the send still counts.
        row("plain, log not written", {.asked = {{"Save error", Icon::Exclamation, Buttons::Ok,
            "Unable to save out your SMS to the log file.\r\n{log}\r\nIs a directory"}},
            .barSteps = 7, .requests = all,
            .percents = QStringList{"0", "14", "28", "42", "57", "71", "85", "100"},
            .logUnwritable = true, .recorded = true});
        row("total 10 asks nothing; session left from a 'no' job dropped",
            {.partsEach = 5, .loggedOnBefore = true, .barSteps = 13, .requests = everyRequest(10),
             .recorded = true});
        const auto to = [](int part, int n) {
            return QString("Sending message part %1 of 2 to 0770090000%2 ...").arg(part).arg(n);
        };
        row("confirmation", {.confirmationNumber = me, .confirmationTicked = true, .barSteps = 8,
            .requests = everyRequest(5), .said = QStringList{"Logging onto O2 as 'alice' ...",
            to(1, 1), to(2, 1), to(1, 2), to(2, 2), "Sending confirmation SMS to 07700 900 999 ...",
            "Checking text message quota ...", "Logging out of O2 ...", "Finished."},
            .recorded = true});
        row("confirmation not ticked", {.confirmationNumber = me, .barSteps = 7, .requests = all,
            .recorded = true});
        row("ticked without a number", {.confirmationTicked = true, .barSteps = 7,
            .requests = all, .recorded = true});
        row("stay logged in, first job", {.stayLoggedOn = true, .barSteps = 6,
            .requests = QStringList{"on"} + parts(4) + QStringList{"quota"},
            .loggedOnAfter = true, .recorded = true});
        row("kept session", {.stayLoggedOn = true, .loggedOnBefore = true, .barSteps = 5,
            .requests = parts(4) + QStringList{"quota"}, .loggedOnAfter = true, .recorded = true});
        row("log on fails", {.confirmationNumber = me, .confirmationTicked = true,
            .refusedRequest = "on", .barSteps = 8, .requests = {"on"}});
        row("first part fails", {.confirmationNumber = me, .confirmationTicked = true,
            .refusedRequest = "part", .barSteps = 8, .requests = {"on", "part"}});
        row("confirmation fails", {.confirmationNumber = me, .confirmationTicked = true,
            .refusedRequest = "part", .acceptedBeforeRefusal = 4, .barSteps = 8,
            .requests = QStringList{"on"} + parts(5)});
        // A kept session refusing its first part is dropped, so that the next
        // job logs on again; one that has sent something is kept.
        row("kept, first part fails", {.stayLoggedOn = true, .loggedOnBefore = true,
            .refusedRequest = "part", .barSteps = 5, .requests = {"part"}});
        row("kept, later part fails", {.stayLoggedOn = true, .loggedOnBefore = true,
            .refusedRequest = "part", .acceptedBeforeRefusal = 1, .barSteps = 5,
            .requests = {"part", "part"}, .loggedOnAfter = true});
        row("fresh, first part fails", {.stayLoggedOn = true, .refusedRequest = "part",
            .barSteps = 6, .requests = {"on", "part"}, .loggedOnAfter = true});
        // Cancel ends the job without one more request; the next job runs.  Once every text is
        // confirmed (the quota check and the log-off come after) the send stays recorded, and a
        // quota that was read is kept.
        const QStringList eight = everyRequest(5);
        row("Cancel while logging on", {.confirmationNumber = me, .confirmationTicked = true,
            .barSteps = 8, .requests = eight.first(1), .stop = Stop{0, StopBy::CancelButton}});
        row("Cancel while sending the confirmation", {.confirmationNumber = me,
            .confirmationTicked = true, .barSteps = 8, .requests = eight.first(6),
            .stop = Stop{5, StopBy::CancelButton}});
        row("Cancel while checking the quota", {.confirmationNumber = me,
            .confirmationTicked = true, .barSteps = 8, .requests = eight.first(7),
            .stop = Stop{6, StopBy::CancelButton}, .recorded = true});
        row("Cancel while logging off", {.confirmationNumber = me, .confirmationTicked = true,
            .barSteps = 8, .requests = eight, .stop = Stop{7, StopBy::CancelButton},
            .recorded = true});
        row("window closed while checking the quota", {.confirmationNumber = me,
            .confirmationTicked = true, .barSteps = 8, .requests = eight.first(7),
            .stop = Stop{6, StopBy::WindowFrame}, .recorded = true});
        // clang-format on
    }
    void jobs() {
        QFETCH(Job, job);
        Rig rig(job.recipients, job.partsEach);
        rig.compose.to = job.to.isEmpty() ? rig.compose.to : job.to;
        save_setting("nosendlimit", job.sendLimitOff ? "yes" : "no");
        save_setting("confnumber", job.confirmationNumber);
        save_setting("dontlogout", job.stayLoggedOn ? "yes" : "no");
        save_setting("logsent", "yes");
        session().logged_in = job.loggedOnBefore;
        rig.compose.confirmation = job.confirmationTicked;
        rig.platform.messages.yesNoFallback = job.warningAnswer;
        QVERIFY(!job.logUnwritable || QDir().mkdir(rig.log)); // a folder in the log's place
        rig.site.fails = job.refusedRequest;
        rig.site.okBefore = job.acceptedBeforeRefusal;
        QStringList seen, said;
        const auto look = [&] {
            seen.append(rig.window.findChild<QLabel*>("lblDone")->text().section('%', 0, 0));
            said.append(rig.window.findChild<QLabel*>("lblMessage")->text());
        };
        rig.site.during = [&] {
            look();
            if (!job.stop || rig.site.ops.size() - 1 != job.stop->duringRequest)
                return;
            job.stop->by == StopBy::WindowFrame
                ? (void)rig.window.close()
                : rig.window.findChild<QPushButton*>("cmdCancel")->click();
            QVERIFY(!rig.window.isVisible());
        };
        const QDateTime started = QDateTime::currentDateTime();
        rig.window.show();
        rig.window.send_message();
        look();
        const QList<platform::MessageBoxRequest>& shown = rig.platform.messages.asked;
        QCOMPARE(shown.size(), job.asked.size());
        for (qsizetype i = 0; i < shown.size(); ++i) {
            QCOMPARE(shown.at(i).title, job.asked.at(i).title);
            QCOMPARE(shown.at(i).icon, job.asked.at(i).icon);
            QCOMPARE(shown.at(i).buttons, job.asked.at(i).buttons);
            QCOMPARE(shown.at(i).text, QString(job.asked.at(i).text).replace("{log}", rig.log));
        }
        QCOMPARE(rig.site.ops, job.requests);
        QCOMPARE(session().logged_in, job.loggedOnAfter);
        // The compose window given back exactly once (repainted after a Cancel), this window gone.
        QCOMPARE(rig.compose.calls.join(' '),
                 QString("enable raise update_status_bar") + (job.stop ? " repaint" : ""));
        QVERIFY(rig.compose.enabled && !rig.window.isVisible() && rig.site.unloads == 1);
        QVERIFY(rig.site.refused.isEmpty());
        QCOMPARE(rig.site.cancels, job.stop ? 1 : 0);
        const bool done = job.barSteps && job.refusedRequest.isEmpty() && !job.stop;
        QCOMPARE(rig.platform.pauses.blocked, done ? QList<int>{2000} : QList<int>{});
        const bool stoppedDuringQuota =
            job.stop && job.requests.at(job.stop->duringRequest) == "quota";
        QCOMPARE(session().quota_free,
                 qint16(job.requests.contains("quota") && !stoppedDuringQuota ? 7 : -1));
        const auto* bar = rig.window.findChild<QProgressBar*>("pbMessage");
        if (job.barSteps)
            QCOMPARE(bar->maximum(), *job.barSteps);
        QCOMPARE(bar->value() == bar->maximum(), done);
        if (job.percents)
            QCOMPARE(seen, *job.percents);
        if (job.said)
            QCOMPARE(said, *job.said);
        const QString when = session().last_sent_time;
        QCOMPARE(session().last_sent_key,
                 job.recorded ? rig.compose.to + rig.compose.message : "before");
        QVERIFY(!job.recorded || when == sentTimeText(started) ||
                when == sentTimeText(QDateTime::currentDateTime()));
        const QString record = "To: " + rig.compose.to + "\r\nDate: " + when +
                               "\r\nMessage: " + rig.compose.message + "\r\n\r\n";
        QCOMPARE(readWhole(rig.log),
                 job.recorded && !job.logUnwritable ? record.toLatin1() : "<missing>");
        if (job.stop) { // the next job starts afresh
            rig.site.during = {};
            rig.site.ops.clear();
            rig.window.show();
            rig.window.send_message();
            QCOMPARE(rig.site.ops, everyRequest(5));
        }
    }

    // A carrier without a session gets only the texts: the same loop over recipients and
    // parts, no log-on, quota or log-off, whatever the session and "dontlogout" say.  The job
    // resolves names in the address book it is given and keeps its session there.
    void carrierWithoutSessionGetsOnlyTheTexts_data() {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("confirmationNumber");
        QTest::addColumn<bool>("keepLoggedOn");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("steps");
        QTest::newRow("a contact and a number")
            << "Anna ; 07700900002" << QString() << false
            << QStringList{"07700900001: hello", "07700900002: hello"} << 2;
        QTest::newRow("with a confirmation copy, session asked to stay open")
            << "Anna"
            << "07700900999" << true
            << QStringList{"07700900001: hello",
                           "07700900999: The following message was sent to 1 recipient: hello"}
            << 2;
    }
    void carrierWithoutSessionGetsOnlyTheTexts() {
        QFETCH(QString, to);
        QFETCH(QString, confirmationNumber);
        QFETCH(bool, keepLoggedOn);
        QFETCH(QStringList, texts);
        QFETCH(int, steps);
        TempSettings settings;
        QuietPlatform platform;
        CarrierWithoutSession carrier;
        FixedJobSettings jobSettings;
        jobSettings.keep = keepLoggedOn;
        jobSettings.confirmation = confirmationNumber;
        const ContactStore book{{"Anna"}, {"07700900001"}, 1};
        SessionState state{.session_username = "alice"};
        JobWatcher watcher;
        SendJob job(carrier, watcher, watcher, {jobSettings, book, state});
        const SendOrder order{.to = to, .message = "hello", .confirmation = true};

        QCOMPARE(job.run(order), SendJob::Sent);
        QCOMPARE(carrier.calls, texts);
        QCOMPARE(watcher.last, qMakePair(steps, steps));
        QVERIFY(watcher.refused.isEmpty());
        QVERIFY(!watcher.steps.contains(SendJob::logOnText("alice")));
        QVERIFY(!watcher.steps.contains(SendJob::quotaText()));
        QVERIFY(!watcher.steps.contains(SendJob::logOffText()));
        QCOMPARE(state.last_sent_key, to + "hello");
        QVERIFY(!state.logged_in && !job.leftLoggedOn());
    }

    // Escape in the send-progress window does what its Cancel button does (the jobs table
    // clicks Cancel): the job stops and the compose window is given back at once, repainted.
    void escapeCancels() {
        Rig rig;
        rig.site.during = [&] {
            if (rig.site.ops.size() == 2)
                QTest::keyClick(&rig.window, Qt::Key_Escape);
        };
        rig.window.show();
        rig.window.send_message();
        QCOMPARE(rig.site.cancels, 1);
        QCOMPARE(rig.site.ops, (QStringList{"on", "part"}));
        QCOMPARE(rig.compose.calls,
                 (QStringList{"enable", "raise", "update_status_bar", "repaint"}));
        QVERIFY(!rig.window.isVisible());
    }

    // A screen reader meets a dialog with a named progress bar, and hears each new transfer
    // state once, however often the transport reports it.
    void screenReaderHearsEachNewState() {
        Rig rig;
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&rig.window);
        QCOMPARE(window->role(), QAccessible::Dialog);
        QAccessibleInterface* bar =
            QAccessible::queryAccessibleInterface(rig.window.findChild<QProgressBar*>());
        QCOMPARE(bar->text(QAccessible::Name), "Sending progress");
        rig.window.show();
        HeardNotifications reader;
        rig.site.during = [&] {
            if (rig.site.ops.size() != 1)
                return;
            rig.site.status("Status: Connecting.");
            for (int i = 0; i < 20; ++i)
                rig.site.status("Status: Request sent.");
            rig.site.status("Status: Receiving response.");
            rig.site.status("Status: Request sent.");
        };
        rig.window.send_message();
        using Heard = HeardNotifications::Heard;
        const auto status = [](const char* text) {
            return Heard{"lblStatus", QAccessible::Notification, text};
        };
        QCOMPARE(
            reader.heard,
            (QList<Heard>{status("Status: Connecting."), status("Status: Request sent."),
                          status("Status: Receiving response."), status("Status: Request sent.")}));
    }

    // The window opens centred over the compose window it works for, wherever that is.
    void opensOverItsOwner() {
        Rig rig;
        QWidget owner;
        owner.setGeometry(420, 330, 300, 200);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        platform::stayAbove(&rig.window, &owner);
        rig.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
        QCOMPARE(rig.window.frameGeometry().center(), owner.frameGeometry().center());
    }

    // "End" during the exit path's log-off, under the window's own caption, ends the
    // program at once, asked for once.
    void exitLogOffEnded() {
        Rig rig;
        QSignalSpy ended(&rig.window, &SendWindow::programEndRequested);
        // Ending the program closes every window, this one included.
        connect(&rig.window, &SendWindow::programEndRequested, &rig.window, &QWidget::close);
        auto* button = rig.window.findChild<QPushButton*>("cmdCancel");
        rig.window.setWindowTitle("100% completed"); // as the last send left it
        rig.site.during = [&] {
            QCOMPARE(button->text() + " " + rig.window.windowTitle(), "End Send messages");
            button->click();
        };
        rig.window.exitLogOff();
        QCOMPARE(ended.count(), 1);
        QCOMPARE(rig.site.ops, QStringList{"off"});
        QVERIFY(rig.platform.pauses.afterEvents.isEmpty() && rig.compose.calls.isEmpty());
    }

    // The sent-message log: CRLF, Windows-1252, 200 old lines; a failed write keeps it whole.
    void log_data() {
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("230 lines become 204") << lines(1, 230) << "m" << lines(31, 230) + kRecord;
        QTest::newRow("lone LF and CR end lines, dash and empty lines kept")
            << QByteArray("a\nb\r--\r\n\r\nc") << "m"
            << "a\r\nb\r\n--\r\n\r\nc\r\n" + kRecord;
        QTest::newRow("two-line message in Windows-1252")
            << QByteArray() << QString::fromUtf8("m£€\nx")
            << QByteArray(kRecord).replace("e: m\r\n", "e: m\xa3\x80\r\nx\r\n");
        QTest::newRow("empty path writes nothing") << lines(1, 3) << "" << lines(1, 3);
        QTest::newRow("write fails on a full disk") << lines(1, 180) << "m" << lines(1, 180);
    }
    void log() {
        QFETCH(QByteArray, old);
        QFETCH(QString, message);
        QFETCH(QByteArray, expected);
        const bool full = !message.isEmpty() && expected == old; // a log that may not grow
        TempSettings settings;
        const QString log = settings.dir.filePath("sent.log");
        save_setting("smsloglocation", message.isEmpty() ? QString() : log);
        QFile file(log);
        QVERIFY(old.isEmpty() ||
                (file.open(QIODevice::WriteOnly) && file.write(old) && file.flush()));
        const auto logOne = [&] {
            return log_sent_message("A ; 071", message, "Thursday 22 May 2003, 07:03:09 pm");
        };
        const QString told = full ? withFileSizeLimit(rlim_t(old.size() + 10), logOne) : logOne();

        QCOMPARE(readWhole(log), expected);
        QCOMPARE(told, full ? "Unable to save out your SMS to the log file.\r\n" +
                                  QDir::toNativeSeparators(log) + "\r\n" +
                                  QString::fromLocal8Bit(strerror(EFBIG))
                            : QString());
    }

    // A log the user may not read, or a folder the user may not write in, is told with the
    // reason and the log stays as it was; it is never replaced by the new record alone.
    void logThatCannotBeRewrittenIsLeftAsItWas_data() {
        QTest::addColumn<int>("logMode");
        QTest::addColumn<bool>("folderOfTheUser");
        QTest::addColumn<QString>("reason"); // {folder}: the log's folder
        QTest::newRow("log the user may write but not read")
            << 0200 << true << "Cannot read the old log: Permission denied";
        QTest::newRow("folder the user may not write in")
            << 0600 << false << "Cannot write to the folder {folder}: Permission denied";
    }
    void logThatCannotBeRewrittenIsLeftAsItWas() {
        QFETCH(int, logMode);
        QFETCH(bool, folderOfTheUser);
        QFETCH(QString, reason);
        // The test runs as root, which may read and write anything: the log is written with
        // the file accesses of another user, who owns the log and maybe its folder.
        if (!runAsRoot())
            QSKIP("a log another user owns needs the tests to run as root");
        TempSettings settings;
        const QString folder = settings.dir.filePath("logs"), log = folder + "/sent.log";
        save_setting("smsloglocation", log);
        QVERIFY(QDir().mkdir(folder));
        {
            QFile file(log);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(lines(1, 10)));
        }
        QVERIFY(chmod(qPrintable(settings.dir.path()), 0755) == 0 &&
                chmod(qPrintable(settings.path()), 0644) == 0 &&
                chmod(qPrintable(folder), 0755) == 0 &&
                chmod(qPrintable(log), mode_t(logMode)) == 0);
        giveToNobody({log});
        if (folderOfTheUser)
            giveToNobody({folder});

        const QString told = [] {
            const FileAccessAsNobody nobody;
            return log_sent_message("A ; 071", "m", "Thursday 22 May 2003, 07:03:09 pm");
        }();

        QCOMPARE(told, "Unable to save out your SMS to the log file.\r\n" +
                           QDir::toNativeSeparators(log) + "\r\n" +
                           reason.replace("{folder}", QDir::toNativeSeparators(folder)));
        QCOMPARE(readWhole(log), lines(1, 10));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), {"sent.log"});
    }
};

QTEST_MAIN(TestSendJob)
#include "tst_send_job.moc"
