// A send that stopped half way, finished from the compose window against the
// simulator: what the user is told and asked, and what reaches each phone.

#include "addressbook/contact_store.h"
#include "compose/main_window.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "session/operator_protocol.h"
#include "session/send_window.h"

#include "support/doubles.h"
#include "support/error_window_driver.h"
#include "support/opsim.h"
#include "support/page_display_double.h"
#include "support/temp_settings.h"

#include <QtTest>
#include <QtWidgets>

using namespace zemble;
using namespace zemble::test;
using platform::Answer;

namespace {

const QStringList kNames{"Ann", "Bob", "Cat", "Dan", "Eve"};
const QString kMe = "07700900999";

// Two sends of the same message: the first stopped by a fault, the second
// after the question (none when the state was forgotten).
struct Scenario {
    int recipients = 5;
    int parts = 1;        // of the message, each part's text one letter: a, b, c
    QString fault;        // "kind skip": on the first job's texts
    bool confirm = false; // the confirmation copy ticked
    bool edit = false;    // one character changed, then back, between the sends
    Answer answer = Answer::Yes;
    QString reached;    // "2 of 5": the status line after the first send
    QStringList asked;  // lines of the question; none: it is not asked
    QStringList outbox; // "who:part" of every text the site took, in order
    int steps = 0;      // progress steps of the second send
    int warnings = 0;   // "Message warning" questions over both sends
};

QString who(int i) {
    return i < kNames.size() ? kNames[i] : QString("077009002%1").arg(i, 2, 10, QChar(u'0'));
}

} // namespace

Q_DECLARE_METATYPE(Scenario)

class TestUnfinishedSend : public QObject {
    Q_OBJECT
private slots:
    void scenarios_data() {
        QTest::addColumn<Scenario>("s");
        const auto row = [](const char* name, const Scenario& s) { QTest::newRow(name) << s; };
        const QStringList five{"Ann:1", "Bob:1", "Cat:1", "Dan:1", "Eve:1"};
        const QStringList twoOfTwo{"Ann:1", "Ann:2", "Bob:1"};
        // clang-format off
        row("five, the third refused: Yes", {.fault = "wrongpage 2", .reached = "2 of 5",
            .asked = {"Already sent to: Ann, Bob", "Not yet sent to: Cat, Dan, Eve"},
            .outbox = five, .steps = 6});
        row("five, the third refused: Cancel", {.fault = "wrongpage 2", .answer = Answer::Cancel,
            .reached = "2 of 5", .asked = {"Already sent to: Ann, Bob"},
            .outbox = {"Ann:1", "Bob:1"}});
        row("one changed character forgets", {.fault = "wrongpage 2", .edit = true,
            .reached = "2 of 5", .outbox = QStringList{"Ann:1", "Bob:1"} + five, .steps = 8});
        // The site took Bob's first part but its answer was lost.
        row("a part's answer lost: Yes sends it again", {.recipients = 2, .parts = 2,
            .fault = "lostanswer 2", .reached = "1 of 2",
            .asked = {"Already sent to: Ann", "Not yet sent to: Bob",
                      "Part 1 of 2 to Bob may have arrived: the site did not answer. Yes sends "
                      "it again."},
            .outbox = twoOfTwo + QStringList{"Bob:1", "Bob:2"}, .steps = 5});
        row("a part's answer lost: No sends everything", {.recipients = 2, .parts = 2,
            .fault = "lostanswer 2", .answer = Answer::No, .reached = "1 of 2",
            .asked = {"Part 1 of 2 to Bob may have arrived"},
            .outbox = twoOfTwo + QStringList{"Ann:1", "Ann:2", "Bob:1", "Bob:2"}, .steps = 7});
        row("cut off mid-message: the remaining parts", {.recipients = 2, .parts = 3,
            .fault = "wrongpage 4", .reached = "1 of 2", .asked = {"Bob has part 1 of 3 only."},
            .outbox = {"Ann:1", "Ann:2", "Ann:3", "Bob:1", "Bob:2", "Bob:3"}, .steps = 5});
        // Everyone has it; only the copy to the user's own phone is left.
        row("confirmation refused: the copy alone", {.recipients = 2, .fault = "wrongpage 2",
            .confirm = true, .reached = "2 of 2", .asked = {"Not yet sent to: nobody"},
            .outbox = {"Ann:1", "Bob:1", "me:copy"}, .steps = 4});
        row("the limits count what is left", {.recipients = 12, .fault = "wrongpage 3",
            .reached = "3 of 12", .asked = {"Already sent to: Ann, Bob, Cat"}, .outbox = [] {
                QStringList all;
                for (int i = 0; i < 12; ++i)
                    all.append(who(i) + ":1");
                return all;
            }(), .steps = 12, .warnings = 1});
        // clang-format on
    }
    void scenarios() {
        QFETCH(Scenario, s);
        TempSettings settings;
        QuietPlatform quiet;
        RecordingPageDisplay display;
        platform::ScopedService<platform::PageDisplayService> displayGuard{&display};
        OpSim sim{{{"alice", "secret", "Alice", 50, 5}}};
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        sim.applyToSettings();
        save_setting("wispusername", "alice");
        save_setting("wisppassword", scramble_password("secret"));
        save_setting("confnumber", kMe);
        save_setting("logsent", "yes");
        save_setting("smsloglocation", settings.dir.filePath("sent.log"));
        session() = SessionState{};
        contacts() = ContactStore{};
        for (int i = 0; i < kNames.size(); ++i)
            add_contact(kNames[i], QString("0770090000%1").arg(i + 1), false);
        quiet.messages.yesNoFallback = Answer::Yes; // the Message warning

        OperatorProtocol site;
        MainWindow compose;
        SendWindow sending(site, compose);
        ComposeHooks windows;
        windows.sendMessage = [&] {
            sending.show();
            sending.send_message();
        };
        windows.confNumberFieldText = [] { return kMe; };
        compose.setWindows(windows);
        compose.Form_Load();
        QStringList to;
        for (int i = 0; i < s.recipients; ++i)
            to.append(who(i));
        compose.setToText(to.join(" ; "));
        const QString message = QString(115, u'a') + QString(115, u'b') + QString(10, u'c');
        auto* box = compose.findChild<QPlainTextEdit*>("txtMessage");
        box->setPlainText(message.left(s.parts == 1 ? 10 : 115 * (s.parts - 1) + 10));
        compose.findChild<QCheckBox*>("chkSendConfirmation")->setChecked(s.confirm);
        const auto information = [&] {
            return compose.findChild<QLabel*>("lblInformation")->text();
        };

        const QStringList fault = s.fault.split(' ');
        QVERIFY(sim.setFault("/webOriginate/action/sendMessage", fault[0], 1, 0, fault[1].toInt()));
        ErrorWindowDriver abortAll;
        compose.cmdSend_Click();
        QCOMPARE(information(), "       This text message reached " + s.reached + " recipients");
        if (s.edit) {
            const QString text = box->toPlainText();
            box->setPlainText(text + "!");
            QCOMPARE(information(), "       You have not sent this text message yet");
            box->setPlainText(text);
        }

        quiet.messages.answers.enqueue(s.answer);
        const qsizetype before = quiet.messages.asked.size();
        const int requests = int(sim.requests().size());
        compose.cmdSend_Click();
        const QList<platform::MessageBoxRequest> second = quiet.messages.asked.mid(before);
        QCOMPARE(second.isEmpty() || second[0].title != "Message partly sent", s.asked.isEmpty());
        for (const QString& line : s.asked)
            QVERIFY2(second[0].text.contains(line), qPrintable(second[0].text));
        QVERIFY(s.asked.isEmpty() || (second[0].icon == platform::Icon::Question &&
                                      second[0].buttons == platform::Buttons::YesNoCancel));
        QCOMPARE(quiet.messages.titles().count("Message warning"), s.warnings);

        QHash<QString, QString> names{{kMe, "me"}};
        for (const QString& entry : to)
            names.insert(lookup_contact(entry), entry);
        QStringList outbox;
        for (const QJsonObject& sent : sim.outbox()) {
            const QString text = sent["text"].toString();
            outbox.append(names.value(sent["number"].toString()) + ':' +
                          (text.startsWith("The following")
                               ? QString("copy")
                               : QString(QChar(text[0].unicode() - 'a' + '1'))));
        }
        QCOMPARE(outbox, s.outbox);
        QFile log(settings.dir.filePath("sent.log"));
        const QByteArray logged = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
        if (s.answer == Answer::Cancel) {
            QCOMPARE(int(sim.requests().size()), requests);
            QCOMPARE(information(),
                     "       This text message reached " + s.reached + " recipients");
            QVERIFY(logged.isEmpty());
            return;
        }
        // Recorded once, as a whole send of the full To text.
        QCOMPARE(logged.count("To: "), 1);
        QVERIFY(logged.startsWith("To: " + to.join(" ; ").toUtf8() + "\r\n"));
        QCOMPARE(session().last_sent_key, compose.toText() + compose.messageText());
        QVERIFY(information().startsWith("       You sent this text message on "));
        QCOMPARE(sending.findChild<QProgressBar*>("pbMessage")->maximum(), s.steps);
    }
};

QTEST_MAIN(TestUnfinishedSend)
#include "tst_unfinished_send.moc"
