#include "addressbook/contact_store.h"
#include "compose/main_window.h"
#include "compose/name_chooser.h"
#include "core/send_record.h"
#include "core/send_route.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "platform/tray.h"
#include "support/doubles.h"
#include "support/keys.h"
#include "support/screen_reader.h"
#include "support/temp_settings.h"

#include <QtTest>
#include <QtWidgets>

#include <optional>

using namespace zemble;
using namespace Qt::StringLiterals;
using platform::Answer, platform::Buttons, platform::Icon, platform::TrayClick;

namespace zemble::platform {
bool operator==(const MessageBoxRequest& a, const MessageBoxRequest& b) {
    return a.title == b.title && a.text == b.text && a.icon == b.icon && a.buttons == b.buttons;
}
char* toString(const MessageBoxRequest& r) {
    return qstrdup(qPrintable(u"\"%1\" icon %2 buttons %3: %4"_s.arg(r.title)
                                  .arg(int(r.icon))
                                  .arg(int(r.buttons))
                                  .arg(r.text)));
}
} // namespace zemble::platform

namespace {

// The notification area; not `available` plays a desktop without one.
class RecordingTray final : public platform::TrayService {
public:
    void showIcon(const QIcon&, const QString& tipText, std::function<void(TrayClick)> f) override {
        shown = available, tip = tipText, onClick = std::move(f), ++showCount;
    }
    void removeIcon() override { shown = false; }
    bool iconShown() const override { return shown; }
    bool available = true, shown = false;
    QString tip;
    int showCount = 0;
    std::function<void(TrayClick)> onClick;
};

struct Fixture {
    test::TempSettings settings;
    test::QuietPlatform quiet;
    RecordingTray tray;
    platform::ScopedService<platform::TrayService> trayGuard{&tray};
    std::unique_ptr<MainWindow> window;

    Fixture() {
        session() = SessionState{};
        contacts() = ContactStore{};
    }
    MainWindow& load(ComposeHooks windows = {}) {
        window = std::make_unique<MainWindow>(std::move(windows));
        window->Form_Load();
        return *window;
    }
    template <class T = QLabel> T* find(const char* name) const {
        return window->findChild<T*>(QLatin1String(name));
    }
    QString label(const char* name) const { return find(name)->text(); }
    QPlainTextEdit* message() const { return find<QPlainTextEdit>("txtMessage"); }
    QLineEdit* to() const { return find<QLineEdit>("txtTo"); }
    void click(const char* button) const { find<QPushButton>(button)->click(); }
};

// How the send that the status line tells of ended.
enum class Ending { SentToAll, StoppedAfterTwoOfFive };

// Types each character as a key press carrying it, letters beyond Latin-1 too.
void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// The send methods in the order of the drop-down list.
enum class SendMethod { Free, Paid };

// The File menu's commands that empty a field.
enum class FileCommand { NewMessage, ClearRecipients, ClearMessage };

// One way of leaving (or staying in) a field, and where everything is afterwards.  The chooser
// asks which of Anna and Anne "ann" means; a row without `chooserKey` must not make it ask.
struct Leaving {
    const char* caretIn;
    QString message = u"hello"_s;
    QStringList keys;                       // pressed in turn
    const char* buttonHeld = nullptr;       // then pressed down, released while the chooser asks
    std::optional<QString> chooserKey = {}; // the key that answers the chooser
    QString toAfter = {};
    std::optional<QString> messageAfter = {}; // none: as it was
    std::optional<QString> menuOpen = {};
    QStringList started = {};               // windows, help pages and the program's end
    std::optional<QString> caretAfter = {}; // none: the window has closed
    bool undoAvailable = false;
    QString clipboard = {};
};

// The quit path for one "quitconfirm" value and session; an unset setting is left out of the
// file.  `question`: the lines before "Are you sure you want to quit?", none when not asked.
struct Quitting {
    std::optional<QString> quitConfirm = {};
    bool edited = false;
    std::optional<QString> dontLogout = {};
    bool loggedIn = false;
    int logOffs = 0;
    std::optional<QString> question = {};
};

// The compose window and its notification-area icon.
struct WindowState {
    bool visible = false, minimised = false, iconShown = false;
    int iconsShown = 0;
    bool operator==(const WindowState&) const = default;
};
char* toString(const WindowState& s) {
    return qstrdup(
        qPrintable(u"visible %1 minimised %2 icon shown %3 icons shown %4"_s.arg(s.visible)
                       .arg(s.minimised)
                       .arg(s.iconShown)
                       .arg(s.iconsShown)));
}
struct Minimising {
    QString systemTray = u"yes"_s;
    bool notificationArea = true;
    WindowState minimised = {};
    std::optional<TrayClick> click = {};
    std::optional<WindowState> afterClick = {};
};

platform::MessageBoxRequest newMessageQuestion() {
    return {u"New Message"_s,
            u"Are you sure you want to create a new SMS?\r\n"
            "Anything currently written will be erased."_s,
            Icon::Question, Buttons::YesNo};
}

} // namespace

Q_DECLARE_METATYPE(Ending)
Q_DECLARE_METATYPE(SendRoute)
Q_DECLARE_METATYPE(SendMethod)
Q_DECLARE_METATYPE(FileCommand)
Q_DECLARE_METATYPE(Leaving)
Q_DECLARE_METATYPE(Quitting)
Q_DECLARE_METATYPE(Minimising)
Q_DECLARE_METATYPE(std::optional<Answer>)

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    // When a send ends, the status line and the quota change while the caret is elsewhere: a
    // screen reader hears each new text once, and nothing when the line is refreshed unchanged.
    void sendResultIsHeard_data() {
        using Heard = test::HeardNotifications::Heard;
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<QList<Heard>>("heard");
        QTest::newRow("sent to everyone, new quota")
            << Ending::SentToAll
            << QList<Heard>{{u"lblInformation"_s, QAccessible::Notification,
                             u"       You sent this text message on Thursday 22 May 2003, "
                             "07:03:09 pm"_s},
                            {u"lblQuota"_s, QAccessible::Notification, u"7 free & 3 paid"_s}};
        QTest::newRow("stopped after two of five, quota unread")
            << Ending::StoppedAfterTwoOfFive
            << QList<Heard>{{u"lblInformation"_s, QAccessible::Notification,
                             u"       This text message reached 2 of 5 recipients"_s}};
    }
    void sendResultIsHeard() {
        QFETCH(Ending, ending);
        QFETCH(QList<test::HeardNotifications::Heard>, heard);
        Fixture f;
        f.load();
        f.to()->setText(u"Ann ; Bob ; Cat ; Dan ; Eve"_s);
        f.message()->setPlainText(u"hi"_s);
        f.window->show();
        test::HeardNotifications reader;
        if (ending == Ending::SentToAll) {
            session().last_sent_key = f.to()->text() + u"hi"_s;
            session().last_sent_time = u"Thursday 22 May 2003, 07:03:09 pm"_s;
            session().quota_free = 7, session().quota_paid = 3;
            f.window->update_status_bar();
        } else {
            SendRecord record{.to = f.to()->text(), .message = u"hi"_s};
            record.entries = f.to()->text().split(u" ; "_s);
            for (int i = 0; i < 5; ++i)
                record.parts.append({i < 2 ? PartState::Confirmed : PartState::NotSent});
            f.window->sendJobEnded(record, false);
        }
        f.window->update_status_bar();
        QCOMPARE(reader.heard, heard);
    }

    // The To field's mnemonic is the letter the To.. button beside it shows: Alt+T puts the caret
    // in the field without opening the address book.
    void altTPutsTheCaretInTo() {
        Fixture f;
        int addressBooks = 0;
        f.load({.showAddressBook = [&] { ++addressBooks; }, .sendMessage = [] {}});
        f.window->show();
        auto* button = f.find<QPushButton>("cmdTo");
        QCOMPARE(QKeySequence::mnemonic(button->text()), QKeySequence(u"Alt+T"_s));
        test::focusAndWait(f.message());
        test::press(u"Alt+T"_s);
        QCOMPARE(QApplication::focusWidget(), f.to());
        QCOMPARE(addressBooks, 0);
        QVERIFY(f.window->composeEnabled());
    }

    // A start-up that finds the send method stored as it would store it writes nothing; one
    // that finds it otherwise stores it in its own form.
    void startUpStoresTheSendMethodOnlyWhenItDiffers_data() {
        QTest::addColumn<QByteArray>("storedLine");
        QTest::addColumn<bool>("rewritten");
        QTest::addColumn<QString>("storedAfter");
        QTest::newRow("paid, as stored") << "sendtype=1"_ba << false << u"1"_s;
        QTest::newRow("paid, stored otherwise") << "sendtype=2"_ba << true << u"1"_s;
        QTest::newRow("nothing stored") << QByteArray() << true << u"0"_s;
    }
    void startUpStoresTheSendMethodOnlyWhenItDiffers() {
        QFETCH(QByteArray, storedLine);
        QFETCH(bool, rewritten);
        QFETCH(QString, storedAfter);
        Fixture f;
        QFile file(f.settings.path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[settings]\n" + storedLine + "\n");
        file.close();
        const QDateTime past = QDateTime::currentDateTime().addDays(-1);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(past, QFileDevice::FileModificationTime));
        file.close();
        f.load();
        QCOMPARE(get_setting(keys::sendType, ""), storedAfter);
        QCOMPARE(QFileInfo(f.settings.path()).lastModified() != past, rewritten);
    }

    // The statistics line after a restart with the send method chosen before it.  The text is
    // lines of "x", then `keys` are typed at its end with `clipboard` to paste.  A line break
    // counts two characters, in the statistics and in the limit that typing and pasting stop at.
    void statisticsAfterRestart_data() {
        QTest::addColumn<SendMethod>("method");
        QTest::addColumn<QList<int>>("lineLengths");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("stats");
        const QString full = u"32767 characters used (split over 285 messages)"_s;
        QTest::newRow("empty") << SendMethod::Free << QList<int>{} << QString() << QStringList()
                               << u"0 characters used (split over 0 messages)"_s;
        QTest::newRow("one character")
            << SendMethod::Free << QList<int>{1} << QString() << QStringList()
            << u"1 character used (split over 1 message)"_s;
        QTest::newRow("paid takes 130 in one")
            << SendMethod::Paid << QList<int>{130} << QString() << QStringList()
            << u"130 characters used (split over 1 message)"_s;
        QTest::newRow("a line break counts two")
            << SendMethod::Free << QList<int>{57, 57} << QString() << QStringList()
            << u"116 characters used (split over 2 messages)"_s;
        QTest::newRow("typing stops at the limit")
            << SendMethod::Free << QList<int>{32764} << QString()
            << QStringList{u"a"_s, u"Return"_s, u"b"_s} << full;
        QTest::newRow("a paste is cut at the limit")
            << SendMethod::Free << QList<int>{32763} << u"12\n34"_s << QStringList{u"Ctrl+V"_s}
            << full;
        QTest::newRow("a paste cut at its line break keeps what fits")
            << SendMethod::Free << QList<int>{32765} << u"12\n"_s << QStringList{u"Ctrl+V"_s}
            << full;
        QTest::newRow("a cut paste is undone whole")
            << SendMethod::Free << QList<int>{32763} << u"12\n34"_s
            << QStringList{u"Ctrl+V"_s, u"Ctrl+Z"_s}
            << u"32763 characters used (split over 285 messages)"_s;
    }
    void statisticsAfterRestart() {
        QFETCH(SendMethod, method);
        QFETCH(QList<int>, lineLengths);
        QFETCH(QString, clipboard);
        QFETCH(QStringList, keys);
        QFETCH(QString, stats);
        QStringList lines;
        for (const int length : lineLengths)
            lines << QString(length, u'x');
        Fixture f;
        f.load();
        f.find<QComboBox>("cmbSendMethod")->setCurrentIndex(int(method));
        f.load();
        QCOMPARE(f.window->sendMethodIndex(), int(method));
        f.message()->setPlainText(u"x"_s);
        f.message()->setPlainText(lines.join(u'\n'));
        f.message()->moveCursor(QTextCursor::End);
        QApplication::clipboard()->setText(clipboard);
        for (const QString& key : keys)
            QTest::keySequence(f.message(), QKeySequence(key));
        QCOMPARE(f.label("lblStats"), stats);
    }

    // Each Help item opens its own page: the help contents, the configured sites, About.
    void helpItemsOpenTheirPages() {
        Fixture f;
        for (const auto& [key, value] : {std::pair{"operatorhomepage", "o2"},
                                         {"homepage", "zemble"},
                                         {"messageboardpage", "board"},
                                         {"guestbookpage", "guestbook"}})
            save_setting(QLatin1String(key), QLatin1String(value));
        int about = 0;
        f.load({.showAbout = [&] { ++about; }});
        for (QAction* a : f.find<QMenu>("mnuHelpTop")->actions())
            a->trigger();
        QCOMPARE(f.quiet.help.topics, QStringList{u"(contents)"_s});
        QCOMPARE(f.quiet.browser.opened, QStringList({u"o2"_s, "zemble", "board", "guestbook"}));
        QCOMPARE(about, 1);
    }

    // Tab visits every control in reading order, the copy to the user's phone ticked on.
    void tabVisitsTheControlsInOrder() {
        Fixture f;
        save_setting(u"confnumber"_s, u"0771"_s);
        f.load({.showAddressBook = [] {}, .sendMessage = [] {}});
        test::focusAndWait(f.to());
        QStringList visited;
        for (int i = 0; i < 9; ++i, test::press(u"Tab"_s))
            visited << QApplication::focusWidget()->objectName();
        QCOMPARE(visited, QStringList({u"txtTo"_s, "cmdTo", "txtMessage", "cmbSendMethod",
                                       "chkSendConfirmation", "cmdSend", "cmdNewMessage", "cmdHelp",
                                       "cmdQuit"}));
    }

    // New message asks only once something beyond the signature is written, and No keeps it;
    // Clear recipients and Clear message each empty their own field, unasked.  A field emptied
    // of the message leaves the signature, with the caret at the start.
    void fileCommandsEmptyTheFields_data() {
        QTest::addColumn<FileCommand>("command");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("message");
        QTest::addColumn<std::optional<Answer>>("answer"); // none: nothing may be asked
        QTest::addColumn<QString>("toAfter");
        QTest::addColumn<QString>("messageAfter");
        QTest::addColumn<int>("caretAfter");
        QTest::newRow("new message over the signature alone asks nothing")
            << FileCommand::NewMessage << QString() << u"sig"_s << std::optional<Answer>()
            << QString() << u"sig"_s << 3;
        QTest::newRow("new message over a written text, No keeps it")
            << FileCommand::NewMessage << QString() << u"xsig"_s << std::optional(Answer::No)
            << QString() << u"xsig"_s << 4;
        QTest::newRow("new message over a number, Yes empties both")
            << FileCommand::NewMessage << u"0771"_s << u"xsig"_s << std::optional(Answer::Yes)
            << QString() << u"sig"_s << 0;
        QTest::newRow("clear recipients keeps the message")
            << FileCommand::ClearRecipients << u"0771"_s << u"xsig"_s << std::optional<Answer>()
            << QString() << u"xsig"_s << 4;
        QTest::newRow("clear message keeps the recipients")
            << FileCommand::ClearMessage << u"0771"_s << u"xsig"_s << std::optional<Answer>()
            << u"0771"_s << u"sig"_s << 0;
    }
    void fileCommandsEmptyTheFields() {
        QFETCH(FileCommand, command);
        QFETCH(QString, to);
        QFETCH(QString, message);
        QFETCH(std::optional<Answer>, answer);
        QFETCH(QString, toAfter);
        QFETCH(QString, messageAfter);
        QFETCH(int, caretAfter);
        Fixture f;
        save_setting(u"signature"_s, u"sig"_s);
        f.load();
        f.to()->setText(to);
        f.message()->setPlainText(message);
        f.message()->moveCursor(QTextCursor::End);
        if (answer)
            f.quiet.messages.answers << *answer;
        if (command == FileCommand::NewMessage)
            f.click("cmdNewMessage");
        else
            f.window
                ->fileItem(command == FileCommand::ClearRecipients ? FileMenu::ClearRecipients
                                                                   : FileMenu::ClearMessage)
                ->trigger();
        QCOMPARE(f.quiet.messages.asked,
                 answer ? QList{newMessageQuestion()} : QList<platform::MessageBoxRequest>());
        QCOMPARE(f.to()->text(), toAfter);
        QCOMPARE(f.message()->toPlainText(), messageAfter);
        QCOMPARE(f.message()->textCursor().position(), caretAfter);
    }

    // Send with neither a number nor a message lists both reasons and sends nothing.
    void sendWithEmptyFieldsSaysWhy() {
        Fixture f;
        int sends = 0;
        f.load({.sendMessage = [&] { ++sends; }});
        f.click("cmdSend");
        QCOMPARE(sends, 0);
        QVERIFY(f.window->composeEnabled());
        const platform::MessageBoxRequest alert{
            u"Message alert"_s,
            u"Zemble is going to be unable to send your text message because of the following "
            "reason(s):\r\n\r\n   \u2022  No phone number has been entered.\r\n   \u2022  No "
            "message has been entered.\r\n\r\nPlease check your details and try again"_s,
            Icon::Information};
        QCOMPARE(f.quiet.messages.asked, QList{alert});
    }

    // After a send with a long date the window keeps its width and the line wraps whole, short
    // of "Quota:"; the message edited reads unsent, edited back it reads sent again.
    void sentLineFollowsTheTextAndFitsBesideTheQuota() {
        Fixture f;
        f.load();
        f.to()->setText(u"0771"_s);
        f.message()->setPlainText(u"hi"_s);
        const int width = f.window->width();
        session() = {.last_sent_key = u"0771hi"_s,
                     .last_sent_time = u"Wednesday 30 September 2026, 12:59:59 pm"_s};
        f.message()->setPlainText(u"hi!"_s);
        QCOMPARE(f.label("lblInformation"), u"       You have not sent this text message yet"_s);
        f.message()->setPlainText(u"hi"_s);
        QCOMPARE(f.label("lblInformation"),
                 u"       You sent this text message on Wednesday 30 September 2026, "
                 "12:59:59 pm"_s);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(f.window->width(), width);
        QLabel* information = f.find("lblInformation");
        QVERIFY(information->height() >= information->heightForWidth(information->width()));
        QVERIFY(f.find("Label2")->x() - information->geometry().right() >= 8);
    }

    // The quota is red only when both figures are 0, and greys with the window when disabled.
    void quotaColour_data() {
        QTest::addColumn<int>("free");
        QTest::addColumn<int>("paid");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("both unknown")
            << -1 << -1 << u"Unknown free & unknown paid"_s << QColor(Qt::black);
        QTest::newRow("both none left") << 0 << 0 << u"0 free & 0 paid"_s << QColor(Qt::red);
        QTest::newRow("free unknown, no paid")
            << -1 << 0 << u"Unknown free & 0 paid"_s << QColor(Qt::black);
    }
    void quotaColour() {
        QFETCH(int, free);
        QFETCH(int, paid);
        QFETCH(QString, caption);
        QFETCH(QColor, colour);
        Fixture f;
        f.load();
        session().quota_free = qint16(free), session().quota_paid = qint16(paid);
        f.window->update_status_bar();
        QLabel* quota = f.find("lblQuota");
        QCOMPARE(quota->text(), caption);
        QCOMPARE(quota->palette().color(QPalette::WindowText), colour);
        f.window->setComposeEnabled(false);
        QCOMPARE(quota->palette().color(QPalette::Disabled, QPalette::WindowText),
                 f.window->palette().color(QPalette::Disabled, QPalette::WindowText));
    }

    // Leaving a field cleans it (the message) or resolves it (To, through the chooser); opening
    // a menu is not leaving a field.
    void leavingAField_data() {
        QTest::addColumn<Leaving>("leaving");
        const QStringList ann{u"a"_s, u"n"_s, u"n"_s};
        QTest::newRow("Alt+E, Esc in the message")
            << Leaving{.caretIn = "txtMessage",
                       .keys = {u"Return"_s, "d", "e", "f", "Alt+E", "Esc", "Esc"},
                       .messageAfter = u"hello\ndef"_s,
                       .caretAfter = u"txtMessage"_s,
                       .undoAvailable = true};
        QTest::newRow("Alt+F in To") << Leaving{.caretIn = "txtTo",
                                                .keys = ann + QStringList{u"Alt+F"_s},
                                                .toAfter = u"ann"_s,
                                                .menuOpen = u"mnuFileTop"_s,
                                                .caretAfter = u"menubar"_s};
        QTest::newRow("Edit menu from To acts on the message") << Leaving{
            .caretIn = "txtMessage",
            .message = u"hello world"_s,
            .keys = {u"Ctrl+Shift+Left"_s, "Shift+Tab", "Shift+Tab", "Alt+E", "C", "Alt+E", "D"},
            .messageAfter = u"hello "_s,
            .caretAfter = u"txtTo"_s,
            .undoAvailable = true,
            .clipboard = u"world"_s};
        QTest::newRow("Tab cleans the message")
            << Leaving{.caretIn = "txtMessage",
                       .message = u"two\r\nwords [x] ~{|}\u00a3 caf\u00e9\u007f\tz\u4e2d!"_s,
                       .keys = {u"Tab"_s},
                       .messageAfter = u"two words x {|}\u00a3 cafz!"_s,
                       .caretAfter = u"cmbSendMethod"_s};
        QTest::newRow("Tab through the chooser") << Leaving{.caretIn = "txtTo",
                                                            .keys = ann + QStringList{u"Tab"_s},
                                                            .chooserKey = u"Return"_s,
                                                            .toAfter = u"Anna"_s,
                                                            .caretAfter = u"cmdTo"_s};
        QTest::newRow("click Send, chooser OK") << Leaving{.caretIn = "txtTo",
                                                           .keys = ann,
                                                           .buttonHeld = "cmdSend",
                                                           .chooserKey = u"Return"_s,
                                                           .toAfter = u"Anna"_s,
                                                           .started = {u"send"_s},
                                                           .caretAfter = u"cmdSend"_s};
        QTest::newRow("click Quit") << Leaving{.caretIn = "txtTo",
                                               .keys = ann,
                                               .buttonHeld = "cmdQuit",
                                               .chooserKey = u"Return"_s,
                                               .toAfter = u"Anna"_s,
                                               .started = {u"end"_s}};
        QTest::newRow("a mnemonic is leaving") << Leaving{.caretIn = "txtTo",
                                                          .keys = ann + QStringList{u"Alt+M"_s},
                                                          .chooserKey = u"Return"_s,
                                                          .toAfter = u"Anna"_s,
                                                          .caretAfter = u"txtMessage"_s};
        QTest::newRow("Alt+E P with Paste disabled opens Preferences")
            << Leaving{.caretIn = "txtMessage",
                       .message = u"[x]"_s,
                       .keys = {u"Alt+E"_s, u"P"_s},
                       .started = {u"preferences"_s},
                       .caretAfter = u"txtMessage"_s};
        QTest::newRow("Enter on the focused Help") << Leaving{.caretIn = "cmdHelp",
                                                              .keys = {u"Return"_s},
                                                              .started = {u"main.html"_s},
                                                              .caretAfter = u"cmdHelp"_s};
    }
    void leavingAField() {
        QFETCH(Leaving, leaving);
        Fixture f;
        contacts() = ContactStore{{u"Anna"_s, u"Anne"_s}, {u"071"_s, u"072"_s}, 2};
        save_setting(u"quitconfirm"_s, u"end"_s);
        QStringList started;
        const auto login = [&](LoginFocus) {
            started << u"send"_s;
            f.window->setComposeEnabled(true); // as the login dialog's Cancel
        };
        f.load({.showAddressBook = [] {},
                .showPreferences = [&] { started << u"preferences"_s; },
                .showLogin = login,
                .sendMessage = [] {}});
        connect(f.window.get(), &MainWindow::programEndRequested, [&] { started << u"end"_s; });
        NameChooserWindow chooser(*f.window);
        f.window->recipientsField().setChooser(&chooser);
        QApplication::clipboard()->clear();
        f.message()->setPlainText(leaving.message);
        f.message()->moveCursor(QTextCursor::End);
        test::focusAndWait(f.find<QWidget>(leaving.caretIn));
        QPushButton* held = leaving.buttonHeld ? f.find<QPushButton>(leaving.buttonHeld) : nullptr;
        bool asked = false;
        QTimer::singleShot(0, &chooser, [&] {
            if (!chooser.isVisible())
                return;
            asked = true;
            if (held)
                QTest::mouseRelease(held, Qt::LeftButton);
            QVERIFY(QTest::qWaitForWindowActive(&chooser));
            test::press(leaving.chooserKey.value_or(u"Esc"_s)); // one not expected is cancelled
        });
        for (const QString& key : leaving.keys)
            test::press(key);
        if (held)
            QTest::mousePress(held, Qt::LeftButton);
        const auto menuOpen = [] {
            QWidget* menu = QApplication::activePopupWidget();
            return menu ? std::optional(menu->objectName()) : std::nullopt;
        };
        QTRY_COMPARE(menuOpen(), leaving.menuOpen);
        QTRY_COMPARE(started + f.quiet.help.topics, leaving.started);
        const auto caret = [&] {
            QWidget* focus = QApplication::focusWidget();
            return f.window->isVisible() && focus ? std::optional(focus->objectName())
                                                  : std::nullopt;
        };
        QTRY_COMPARE(caret(), leaving.caretAfter);
        QCOMPARE(f.window->isVisible(), leaving.caretAfter.has_value());
        QCOMPARE(f.message()->document()->isUndoAvailable(), leaving.undoAvailable);
        test::press(menuOpen() ? u"Esc Esc"_s : QString());
        QCOMPARE(asked, leaving.chooserKey.has_value());
        QCOMPARE(f.to()->text(), leaving.toAfter);
        QCOMPARE(f.message()->toPlainText(), leaving.messageAfter.value_or(leaving.message));
        QCOMPARE(QApplication::clipboard()->text(), leaving.clipboard);
        QVERIFY(!held || !held->isDown());
    }

    // Each "quitconfirm" value, and the log-off of a kept session on the way out.  A window
    // that asks is kept by No and left by Exit and Yes.
    void quitQuestions_data() {
        QTest::addColumn<Quitting>("quitting");
        const QString sure = u"Are you sure you want to quit?"_s;
        const QString unsent = u"This SMS has not been sent yet.\r\n"_s + sure;
        QTest::newRow("by default, nothing written: not asked") << Quitting{};
        QTest::newRow("by default, written: asked, it is unsent")
            << Quitting{.edited = true, .question = unsent};
        QTest::newRow("ask, nothing written: asked")
            << Quitting{.quitConfirm = u"ask"_s, .question = sure};
        QTest::newRow("end, written: not asked")
            << Quitting{.quitConfirm = u"end"_s, .edited = true};
        QTest::newRow("a kept session is logged off") << Quitting{
            .quitConfirm = u"end"_s, .dontLogout = u"yes"_s, .loggedIn = true, .logOffs = 1};
        QTest::newRow("no session, no log-off")
            << Quitting{.quitConfirm = u"end"_s, .dontLogout = u"yes"_s};
        QTest::newRow("logged off after each send already")
            << Quitting{.quitConfirm = u"end"_s, .dontLogout = u"no"_s, .loggedIn = true};
    }
    void quitQuestions() {
        QFETCH(Quitting, quitting);
        Fixture f;
        if (quitting.quitConfirm)
            save_setting(u"quitconfirm"_s, *quitting.quitConfirm);
        if (quitting.dontLogout)
            save_setting(u"dontlogout"_s, *quitting.dontLogout);
        int logOffs = 0;
        f.load({.exitLogOff = [&] { ++logOffs; }});
        session().logged_in = quitting.loggedIn;
        if (quitting.edited)
            f.message()->setPlainText(u"x"_s);
        QSignalSpy ended(f.window.get(), &MainWindow::programEndRequested);
        f.window->setComposeEnabled(false); // not while a secondary window is open
        QVERIFY(!f.window->close());
        f.window->setComposeEnabled(true);
        f.quiet.messages.answers << Answer::No << Answer::Yes;
        f.click("cmdQuit");
        QList<platform::MessageBoxRequest> expected;
        if (quitting.question) {
            expected << platform::MessageBoxRequest{u"Quit confirmation"_s, *quitting.question,
                                                    Icon::Exclamation, Buttons::YesNo};
            QCOMPARE(f.quiet.messages.asked, expected);
            QVERIFY(ended.isEmpty() && f.window->isVisible());
            f.window->fileItem(FileMenu::Exit)->trigger();
            expected << expected.first();
        }
        QCOMPARE(f.quiet.messages.asked, expected);
        QCOMPARE(ended.size(), 1);
        QVERIFY(!f.window->isVisible());
        QCOMPARE(logOffs, quitting.logOffs);
    }

    // Minimised with "systemtray" on, the window hides behind an icon unless there is no
    // notification area; any click but the middle one brings it back, and so does another start
    // of the program from wherever the window is.
    void trayHideAndRestore_data() {
        QTest::addColumn<Minimising>("minimising");
        const WindowState behindIcon{.minimised = true, .iconShown = true, .iconsShown = 1};
        const WindowState restored{.visible = true, .iconsShown = 1};
        QTest::newRow("left click restores") << Minimising{
            .minimised = behindIcon, .click = TrayClick::Left, .afterClick = restored};
        QTest::newRow("double click restores") << Minimising{
            .minimised = behindIcon, .click = TrayClick::Double, .afterClick = restored};
        QTest::newRow("right click restores") << Minimising{
            .minimised = behindIcon, .click = TrayClick::Right, .afterClick = restored};
        QTest::newRow("middle click leaves it hidden") << Minimising{
            .minimised = behindIcon, .click = TrayClick::Middle, .afterClick = behindIcon};
        QTest::newRow("switched off: no icon")
            << Minimising{.systemTray = u"no"_s, .minimised = {.visible = true, .minimised = true}};
        QTest::newRow("no notification area: on the task bar")
            << Minimising{.notificationArea = false,
                          .minimised = {.visible = true, .minimised = true, .iconsShown = 1}};
    }
    void trayHideAndRestore() {
        QFETCH(Minimising, minimising);
        Fixture f;
        save_setting(u"systemtray"_s, minimising.systemTray);
        f.tray.available = minimising.notificationArea;
        f.load().setWindowIcon(QIcon(QPixmap(16, 16)));
        const auto state = [&] {
            return WindowState{f.window->isVisible(), f.window->isMinimized(), f.tray.shown,
                               f.tray.showCount};
        };
        f.window->showMinimized();
        QTRY_VERIFY(f.window->isMinimized());
        QCoreApplication::processEvents();
        QCOMPARE(state(), minimising.minimised);
        QCOMPARE(f.tray.shown, minimising.click.has_value());
        if (minimising.click) {
            QCOMPARE(f.tray.tip, u"Zemble"_s);
            f.tray.onClick(*minimising.click);
            QCOMPARE(state(), *minimising.afterClick);
        }
        f.window->showFromAnotherStart();
        QCOMPARE(state(), (WindowState{true, false, false, minimising.minimised.iconsShown}));
    }

    // What the window shows follows the route: through the gateway the statistics count SMS as
    // the gateway sends them, the quota is not the operator's, the send methods are one
    // disabled entry, the text keeps its characters when the message box is left, and Send
    // goes to the send job without asking for the operator's account.
    void windowFollowsTheRoute_data() {
        QTest::addColumn<SendRoute>("route");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stats");
        const QString letters160(160, u'a');
        QTest::newRow("operator's site, 160 letters")
            << SendRoute::OperatorSite << letters160
            << u"160 characters used (split over 2 messages)"_s;
        QTest::newRow("gateway, 160 letters") << SendRoute::KannelGateway << letters160
                                              << u"160 characters used (split over 1 message)"_s;
        QTest::newRow("gateway, 71 Greek letters")
            << SendRoute::KannelGateway << QString(71, QChar(0x3C9))
            << u"71 characters used (split over 2 messages)"_s;
    }
    void windowFollowsTheRoute() {
        QFETCH(SendRoute, route);
        QFETCH(QString, typed);
        QFETCH(QString, stats);
        const bool gateway = route == SendRoute::KannelGateway;
        Fixture f;
        save_setting(keys::sendRoute, sendRouteSetting(route));
        session().quota_free = 7;
        session().quota_paid = 3;
        int sends = 0, logins = 0;
        ComposeHooks hooks;
        hooks.sendMessage = [&] { ++sends; };
        hooks.showLogin = [&](LoginFocus) { ++logins; };
        f.load(hooks);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.message()->setFocus();
        typeText(f.message(), typed);
        QCOMPARE(f.label("lblStats"), stats);
        QCOMPARE(f.label("lblQuota"),
                 gateway ? u"not reported by the SMS gateway"_s : u"7 free & 3 paid"_s);
        auto* list = f.find<QComboBox>("cmbSendMethod");
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->itemText(i);
        QCOMPARE(shown, gateway ? QStringList(u"Sent through the SMS gateway"_s)
                                : QStringList({u"Use free quota"_s, u"Use paid quota"_s}));
        QCOMPARE(list->isEnabled(), !gateway);
        QTest::keyClick(f.message(), Qt::Key_Tab);
        QCOMPARE(f.message()->toPlainText(), typed);
        f.to()->setText(u"07700900123"_s);
        f.click("cmdSend");
        QVERIFY(!f.window->composeEnabled()); // until the send or the login ends
        QCOMPARE(logins, gateway ? 0 : 1);
        QCOMPARE(sends, gateway ? 1 : 0);
    }

    // A route changed in Preferences shows when its OK refreshes the compose window: the count
    // and the quota follow, and back on the operator's site the stored send method is the one
    // selected again, never rewritten by the passage through the gateway.
    void routeChangeShowsOnRefresh() {
        Fixture f;
        save_setting(keys::sendType, u"1"_s);
        session().quota_free = 7;
        session().quota_paid = 3;
        f.load();
        f.message()->setPlainText(QString(150, u'a'));
        QCOMPARE(f.label("lblStats"), u"150 characters used (split over 2 messages)"_s);

        save_setting(keys::sendRoute, u"kannel"_s);
        f.window->updateStatusBar();
        QCOMPARE(f.label("lblStats"), u"150 characters used (split over 1 message)"_s);
        QCOMPARE(f.label("lblQuota"), u"not reported by the SMS gateway"_s);
        QCOMPARE(f.window->sendRoute(), SendRoute::KannelGateway);
        QCOMPARE(get_setting(keys::sendType, ""), u"1"_s);

        save_setting(keys::sendRoute, u"operator"_s);
        f.window->updateStatusBar();
        QCOMPARE(f.find<QComboBox>("cmbSendMethod")->currentText(), u"Use paid quota"_s);
        QVERIFY(f.find<QComboBox>("cmbSendMethod")->isEnabled());
        QCOMPARE(f.label("lblStats"), u"150 characters used (split over 2 messages)"_s);
        QCOMPARE(f.label("lblQuota"), u"7 free & 3 paid"_s);
        QCOMPARE(get_setting(keys::sendType, ""), u"1"_s);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
