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

#include <optional>

using namespace zemble;
using namespace zemble::test;
using namespace Qt::StringLiterals;
using platform::Answer;

namespace {

const QStringList kNames{"Ann", "Bob", "Cat", "Dan", "Eve"};
const QString kMe = "07700900999";

// How the site fails the first send.
enum class Fault { WrongPage, LostAnswer };

// What the user changes between the two sends, changing it back at once.
enum class Between { Nothing, MessageEdited, ToEdited };

// One text the site took: its recipient ("me" for the user's own phone, a number past the book
// by its last two digits) and which part it was ("part 2", or "the copy" to the user).
struct Sent {
    QString to;
    QString text;
    bool operator==(const Sent&) const = default;
};
char* toString(const Sent& s) {
    return qstrdup(qPrintable(s.to + u": "_s + s.text));
}

// A send to the first `recipients` of Ann, Bob, Cat, Dan, Eve (then numbers past the book) of a
// message of `partsEach` parts, stopped by `fault` after the site took `textsBefore` texts.
struct StoppedSend {
    int recipients;
    int partsEach = 1;
    Fault fault = Fault::WrongPage;
    int textsBefore;
    bool confirmation = false;
    Between between = Between::Nothing;
    QString reached = {}; // the status line's "N of M" after the first send
};

// The second send, after the answer to the question about the first.
struct SecondSend {
    StoppedSend first;
    Answer answer = Answer::Yes;
    std::optional<QStringList> question = {}; // lines it must hold; none: not asked
    QList<Sent> sent;                         // every text the site took, both sends, in order
    int progressSteps;
    int messageWarnings = 0;
};

QList<Sent> texts(const QStringList& to, const QString& text) {
    QList<Sent> out;
    for (const QString& name : to)
        out.append({name, text});
    return out;
}

// The compose and send windows against the simulator, with Ann to Eve in the address book and
// the account, the confirmation number and a log of sent messages in the settings.
struct Fixture {
    TempSettings settings;
    QuietPlatform quiet;
    RecordingPageDisplay display;
    platform::ScopedService<platform::PageDisplayService> displayGuard{&display};
    OpSim sim{{{"alice", "secret", "Alice", 50, 5}}};
    QHash<QString, QString> names{{kMe, "me"}}; // the outbox's numbers as the rows name them
    OperatorProtocol site{session()};
    const StoredJobSettings jobSettings{};
    std::unique_ptr<MainWindow> compose;
    std::unique_ptr<SendWindow> sending;
    QString to;
    QLabel* information = nullptr;

    bool start() {
        if (!sim.start())
            return false;
        sim.applyToSettings();
        save_setting("wispusername", "alice");
        save_setting("wisppassword", scramble_password("secret"));
        save_setting("confnumber", kMe);
        save_setting("logsent", "yes");
        save_setting("smsloglocation", settings.dir.filePath("sent.log"));
        session() = SessionState{};
        contacts() = ContactStore{};
        for (int i = 0; i < kNames.size(); ++i) {
            add_contact(kNames[i], QString("0770090000%1").arg(i + 1), false);
            names.insert(QString("0770090000%1").arg(i + 1), kNames[i]);
        }
        quiet.messages.yesNoFallback = Answer::Yes; // the Message warning
        compose = std::make_unique<MainWindow>();
        sending = std::make_unique<SendWindow>(site, *compose,
                                               SendJobContext{jobSettings, contacts(), session()});
        compose->setWindows({.sendMessage = [this] { sending->show(), sending->send_message(); },
                             .confNumberFieldText = [] { return kMe; }});
        compose->Form_Load();
        information = compose->findChild<QLabel*>("lblInformation");
        return true;
    }
    // The first send, stopped; then the change between the sends.  Each part's text is one
    // letter: a, b, c.
    void sendAndStop(const StoppedSend& first) {
        QStringList entries;
        for (int i = 0; i < first.recipients; ++i) // past the book a number, named by its end
            entries.append(i < kNames.size() ? kNames[i]
                                             : u"077009002%1"_s.arg(i, 2, 10, QChar(u'0')));
        to = entries.join(" ; ");
        compose->setToText(to);
        const QString message = QString(115, u'a') + QString(115, u'b') + QString(10, u'c');
        auto* box = compose->findChild<QPlainTextEdit*>("txtMessage");
        box->setPlainText(message.left(115 * (first.partsEach - 1) + 10));
        compose->findChild<QCheckBox*>("chkSendConfirmation")->setChecked(first.confirmation);
        QVERIFY(sim.setFault("/webOriginate/action/sendMessage",
                             first.fault == Fault::WrongPage ? u"wrongpage"_s : u"lostanswer"_s, 1,
                             0, first.textsBefore));
        ErrorWindowDriver abortAll;
        compose->cmdSend_Click();
        QCOMPARE(information->text(), reachedLine(first.reached));
        if (first.between == Between::MessageEdited) {
            const QString text = box->toPlainText();
            box->setPlainText(text + "!");
            QCOMPARE(information->text(), "       You have not sent this text message yet");
            box->setPlainText(text);
        } else if (first.between == Between::ToEdited) {
            auto* toField = compose->findChild<QLineEdit*>("txtTo");
            toField->setText(to + "!");
            toField->setText(to);
        }
    }
    static QString reachedLine(const QString& reached) {
        return "       This text message reached " + reached + " recipients";
    }
    // Sends again, answering the question about the stopped send; the boxes it asked.
    QList<platform::MessageBoxRequest> sendAgain(Answer answer) {
        quiet.messages.answers.enqueue(answer);
        const qsizetype before = quiet.messages.asked.size();
        compose->cmdSend_Click();
        return quiet.messages.asked.mid(before);
    }
    QList<Sent> outbox() const {
        QList<Sent> out;
        for (const QJsonObject& sent : sim.outbox()) {
            const QString text = sent["text"].toString(), number = sent["number"].toString();
            out.append({names.value(number, number.right(2)),
                        text.startsWith("The following")
                            ? u"the copy"_s
                            : u"part %1"_s.arg(text[0].unicode() - 'a' + 1)});
        }
        return out;
    }
    QByteArray log() const {
        QFile file(settings.dir.filePath("sent.log"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

// Whether the boxes asked start with the partly-sent question holding every line given.
void checkQuestion(const QList<platform::MessageBoxRequest>& asked,
                   const std::optional<QStringList>& lines) {
    const bool partlySent = !asked.isEmpty() && asked[0].title == "Message partly sent";
    QCOMPARE(partlySent, lines.has_value());
    for (const QString& line : lines.value_or(QStringList()))
        QVERIFY2(asked[0].text.contains(line), qPrintable(asked[0].text));
    QVERIFY(!partlySent || (asked[0].icon == platform::Icon::Question &&
                            asked[0].buttons == platform::Buttons::YesNoCancel));
}

} // namespace

Q_DECLARE_METATYPE(SecondSend)

class TestUnfinishedSend : public QObject {
    Q_OBJECT
private slots:
    // The second Send of a stopped message asks whether to send only what is left; the answer
    // decides what the site takes, and the whole send is then recorded once.  A change of one
    // character to the message or the To field, even changed back, forgets the stopped send.
    void secondSendAfterTheQuestion_data() {
        QTest::addColumn<SecondSend>("second");
        const StoppedSend fiveThirdRefused{
            .recipients = 5, .textsBefore = 2, .reached = u"2 of 5"_s};
        const QList<Sent> annBob = texts({"Ann", "Bob"}, "part 1");
        QTest::newRow("five, the third refused: Yes sends to the other three")
            << SecondSend{.first = fiveThirdRefused,
                          .question = QStringList{u"Already sent to: Ann, Bob"_s,
                                                  u"Not yet sent to: Cat, Dan, Eve"_s},
                          .sent = texts(kNames, "part 1"),
                          .progressSteps = 6};
        StoppedSend edited = fiveThirdRefused;
        edited.between = Between::MessageEdited;
        QTest::newRow("a message edited and back is sent to all again") << SecondSend{
            .first = edited, .sent = annBob + texts(kNames, "part 1"), .progressSteps = 8};
        edited.between = Between::ToEdited;
        QTest::newRow("a To field edited and back is sent to all again") << SecondSend{
            .first = edited, .sent = annBob + texts(kNames, "part 1"), .progressSteps = 8};
        // The site took Bob's first part but its answer was lost.
        const StoppedSend lost{.recipients = 2,
                               .partsEach = 2,
                               .fault = Fault::LostAnswer,
                               .textsBefore = 2,
                               .reached = u"1 of 2"_s};
        const QList<Sent> annTwoParts{{"Ann", "part 1"}, {"Ann", "part 2"}};
        const QList<Sent> bobTwoParts{{"Bob", "part 1"}, {"Bob", "part 2"}};
        QTest::newRow("a part's answer lost: Yes sends it again") << SecondSend{
            .first = lost,
            .question = QStringList{u"Already sent to: Ann"_s, u"Not yet sent to: Bob"_s,
                                    u"Part 1 of 2 to Bob may have arrived: the site did not "
                                    "answer. Yes sends it again."_s},
            .sent = annTwoParts + QList<Sent>{{"Bob", "part 1"}} + bobTwoParts,
            .progressSteps = 5};
        QTest::newRow("a part's answer lost: No sends everything again") << SecondSend{
            .first = lost,
            .answer = Answer::No,
            .question = QStringList{u"Part 1 of 2 to Bob may have arrived"_s},
            .sent = annTwoParts + QList<Sent>{{"Bob", "part 1"}} + annTwoParts + bobTwoParts,
            .progressSteps = 7};
        QTest::newRow("cut off mid-message: the remaining parts") << SecondSend{
            .first = {.recipients = 2, .partsEach = 3, .textsBefore = 4, .reached = u"1 of 2"_s},
            .question = QStringList{u"Bob has part 1 of 3 only."_s},
            .sent = annTwoParts + QList<Sent>{{"Ann", "part 3"}} + bobTwoParts +
                    QList<Sent>{{"Bob", "part 3"}},
            .progressSteps = 5};
        // Everyone has it; only the copy to the user's own phone is left.
        QTest::newRow("confirmation refused: the copy alone")
            << SecondSend{.first = {.recipients = 2,
                                    .textsBefore = 2,
                                    .confirmation = true,
                                    .reached = u"2 of 2"_s},
                          .question = QStringList{u"Not yet sent to: nobody"_s},
                          .sent = annBob + QList<Sent>{{"me", "the copy"}},
                          .progressSteps = 4};
        QTest::newRow("the limits count what is left") << SecondSend{
            .first = {.recipients = 12, .textsBefore = 3, .reached = u"3 of 12"_s},
            .question = QStringList{u"Already sent to: Ann, Bob, Cat"_s},
            .sent = texts(kNames + QStringList{"05", "06", "07", "08", "09", "10", "11"}, "part 1"),
            .progressSteps = 12,
            .messageWarnings = 1};
    }
    void secondSendAfterTheQuestion() {
        QFETCH(SecondSend, second);
        Fixture f;
        QVERIFY2(f.start(), qPrintable(f.sim.errorText()));
        f.sendAndStop(second.first);
        const QList<platform::MessageBoxRequest> asked = f.sendAgain(second.answer);
        checkQuestion(asked, second.question);
        QCOMPARE(f.quiet.messages.titles().count("Message warning"), second.messageWarnings);
        QCOMPARE(f.outbox(), second.sent);
        // Recorded once, as a whole send of the full To text.
        const QByteArray logged = f.log();
        QCOMPARE(logged.count("To: "), 1);
        QVERIFY(logged.startsWith("To: " + f.to.toUtf8() + "\r\n"));
        QCOMPARE(session().last_sent_key, f.compose->toText() + f.compose->messageText());
        QVERIFY(f.information->text().startsWith("       You sent this text message on "));
        QCOMPARE(f.sending->findChild<QProgressBar*>("pbMessage")->maximum(), second.progressSteps);
    }

    // Cancel to the question sends nothing more, records nothing and leaves the send stopped.
    void cancelKeepsTheSendStopped() {
        Fixture f;
        QVERIFY2(f.start(), qPrintable(f.sim.errorText()));
        f.sendAndStop({.recipients = 5, .textsBefore = 2, .reached = u"2 of 5"_s});
        const qsizetype requests = f.sim.requests().size();
        checkQuestion(f.sendAgain(Answer::Cancel), QStringList{u"Already sent to: Ann, Bob"_s});
        QCOMPARE(f.sim.requests().size(), requests);
        QCOMPARE(f.outbox(), texts({"Ann", "Bob"}, "part 1"));
        QCOMPARE(f.information->text(), Fixture::reachedLine(u"2 of 5"_s));
        QVERIFY(f.log().isEmpty());
        QCOMPARE(f.quiet.messages.titles().count("Message warning"), 0);
    }
};

QTEST_MAIN(TestUnfinishedSend)
#include "tst_unfinished_send.moc"
