// A send stopped half way, finished from the compose window: what the user is told and asked.

#include "addressbook/contact_store.h"
#include "compose/main_window.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "session/job_settings.h"
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
using namespace Qt::StringLiterals;
using platform::Answer;

namespace {

const QStringList kNames{"Ann", "Bob", "Cat", "Dan", "Eve"};
const QString kMe = "07700900999";

} // namespace

class TestUnfinishedSend : public QObject {
    Q_OBJECT
private slots:
    // Two sends of one message, the first stopped by a fault on its texts, the second after the
    // question: "recipients parts fault skip answer [confirm] [edit]|the status line after the
    // first|lines of the question, '#' between (none: not asked)|"who:part" of every text the
    // site took, in order|progress steps of the second send|"Message warning" questions".
    // Each part's text is one letter (a, b, c); "confirm" ticks the copy to the user's phone,
    // "edit" (the message) or "editTo" (the To field) changes one character, then back, between the
    // sends.
    void scenarios_data() {
        QTest::addColumn<QString>("row");
        const auto row = [](const char* name, const char* r) { QTest::newRow(name) << QString(r); };
        row("five, the third refused: Yes",
            "5 1 wrongpage 2 Yes|2 of 5|Already sent to: Ann, Bob#Not yet sent to: Cat, Dan, Eve|"
            "Ann:1 Bob:1 Cat:1 Dan:1 Eve:1|6|0");
        row("five, the third refused: Cancel",
            "5 1 wrongpage 2 Cancel|2 of 5|Already sent to: Ann, Bob|Ann:1 Bob:1|0|0");
        row("one changed character forgets",
            "5 1 wrongpage 2 Yes edit|2 of 5||Ann:1 Bob:1 Ann:1 Bob:1 Cat:1 Dan:1 Eve:1|8|0");
        row("one changed recipient forgets",
            "5 1 wrongpage 2 Yes editTo|2 of 5||Ann:1 Bob:1 Ann:1 Bob:1 Cat:1 Dan:1 Eve:1|8|0");
        // The site took Bob's first part but its answer was lost.
        row("a part's answer lost: Yes sends it again",
            "2 2 lostanswer 2 Yes|1 of 2|Already sent to: Ann#Not yet sent to: Bob#Part 1 of 2 to "
            "Bob may have arrived: the site did not answer. Yes sends it again.|"
            "Ann:1 Ann:2 Bob:1 Bob:1 Bob:2|5|0");
        row("a part's answer lost: No sends everything",
            "2 2 lostanswer 2 No|1 of 2|Part 1 of 2 to Bob may have arrived|"
            "Ann:1 Ann:2 Bob:1 Ann:1 Ann:2 Bob:1 Bob:2|7|0");
        row("cut off mid-message: the remaining parts",
            "2 3 wrongpage 4 Yes|1 of 2|Bob has part 1 of 3 only.|"
            "Ann:1 Ann:2 Ann:3 Bob:1 Bob:2 Bob:3|5|0");
        // Everyone has it; only the copy to the user's own phone is left.
        row("confirmation refused: the copy alone",
            "2 1 wrongpage 2 Yes confirm|2 of 2|Not yet sent to: nobody|Ann:1 Bob:1 me:copy|4|0");
        row("the limits count what is left",
            "12 1 wrongpage 3 Yes|3 of 12|Already sent to: Ann, Bob, Cat|Ann:1 Bob:1 Cat:1 Dan:1 "
            "Eve:1 05:1 06:1 07:1 08:1 09:1 10:1 11:1|12|1");
    }
    void scenarios() {
        QFETCH(QString, row);
        const QStringList c = row.split(u'|'), how = c[0].split(u' ');
        const QStringList asked = c[2].split(u'#', Qt::SkipEmptyParts);
        const Answer answer = how[4] == "Yes"  ? Answer::Yes
                              : how[4] == "No" ? Answer::No
                                               : Answer::Cancel;
        TempSettings settings;
        QuietPlatform quiet;
        RecordingPageDisplay display;
        platform::ScopedService<platform::PageDisplayService> displayGuard{&display};
        OpSim sim{{{"alice", "secret", "Alice", 50, 5}}};
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        sim.applyToSettings();
        for (const QString& entry : {u"wispusername=alice"_s, "confnumber=" + kMe, u"logsent=yes"_s,
                                     "wisppassword=" + scramble_password("secret"),
                                     "smsloglocation=" + settings.dir.filePath("sent.log")})
            save_setting(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        session() = SessionState{};
        contacts() = ContactStore{};
        QHash<QString, QString> names{{kMe, "me"}}; // the outbox's numbers as the rows name them
        for (int i = 0; i < kNames.size(); ++i) {
            add_contact(kNames[i], QString("0770090000%1").arg(i + 1), false);
            names.insert(QString("0770090000%1").arg(i + 1), kNames[i]);
        }
        quiet.messages.yesNoFallback = Answer::Yes; // the Message warning

        OperatorProtocol site(session());
        MainWindow compose;
        const StoredJobSettings jobSettings;
        SendWindow sending(site, compose, {jobSettings, contacts(), session()});
        compose.setWindows({.sendMessage = [&] { sending.show(), sending.send_message(); },
                            .confNumberFieldText = [] { return kMe; }});
        compose.Form_Load();
        QStringList to;
        for (int i = 0; i < how[0].toInt(); ++i) // past the book a number, named by its end
            to.append(i < kNames.size() ? kNames[i] : u"077009002%1"_s.arg(i, 2, 10, QChar(u'0')));
        compose.setToText(to.join(" ; "));
        const QString message = QString(115, u'a') + QString(115, u'b') + QString(10, u'c');
        auto* box = compose.findChild<QPlainTextEdit*>("txtMessage");
        box->setPlainText(message.left(115 * (how[1].toInt() - 1) + 10));
        compose.findChild<QCheckBox*>("chkSendConfirmation")->setChecked(how.contains("confirm"));
        auto* information = compose.findChild<QLabel*>("lblInformation");

        QVERIFY(sim.setFault("/webOriginate/action/sendMessage", how[2], 1, 0, how[3].toInt()));
        ErrorWindowDriver abortAll;
        compose.cmdSend_Click();
        const QString reached = "       This text message reached " + c[1] + " recipients";
        QCOMPARE(information->text(), reached);
        if (how.contains("edit")) {
            const QString text = box->toPlainText();
            box->setPlainText(text + "!");
            QCOMPARE(information->text(), "       You have not sent this text message yet");
            box->setPlainText(text);
        } else if (how.contains("editTo")) {
            auto* toField = compose.findChild<QLineEdit*>("txtTo");
            const QString text = toField->text();
            toField->setText(text + "!");
            toField->setText(text);
        }

        quiet.messages.answers.enqueue(answer);
        const qsizetype before = quiet.messages.asked.size();
        const int requests = int(sim.requests().size());
        compose.cmdSend_Click();
        const QList<platform::MessageBoxRequest> second = quiet.messages.asked.mid(before);
        QCOMPARE(second.isEmpty() || second[0].title != "Message partly sent", asked.isEmpty());
        for (const QString& line : asked)
            QVERIFY2(second[0].text.contains(line), qPrintable(second[0].text));
        QVERIFY(asked.isEmpty() || (second[0].icon == platform::Icon::Question &&
                                    second[0].buttons == platform::Buttons::YesNoCancel));
        QCOMPARE(quiet.messages.titles().count("Message warning"), c[5].toInt());

        QStringList outbox;
        for (const QJsonObject& sent : sim.outbox()) {
            const QString text = sent["text"].toString(), number = sent["number"].toString();
            outbox.append(names.value(number, number.right(2)) + ':' +
                          (text.startsWith("The following")
                               ? QString("copy")
                               : QString(QChar(text[0].unicode() - 'a' + '1'))));
        }
        QCOMPARE(outbox.join(u' '), c[3]);
        QFile log(settings.dir.filePath("sent.log"));
        const QByteArray logged = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
        if (answer == Answer::Cancel) {
            QCOMPARE(int(sim.requests().size()), requests);
            QCOMPARE(information->text(), reached);
            QVERIFY(logged.isEmpty());
            return;
        }
        // Recorded once, as a whole send of the full To text.
        QCOMPARE(logged.count("To: "), 1);
        QVERIFY(logged.startsWith("To: " + to.join(" ; ").toUtf8() + "\r\n"));
        QCOMPARE(session().last_sent_key, compose.toText() + compose.messageText());
        QVERIFY(information->text().startsWith("       You sent this text message on "));
        QCOMPARE(sending.findChild<QProgressBar*>("pbMessage")->maximum(), c[4].toInt());
    }
};

QTEST_MAIN(TestUnfinishedSend)
#include "tst_unfinished_send.moc"
