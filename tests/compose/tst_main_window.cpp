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

using namespace zemble;
using namespace Qt::StringLiterals;
using platform::Buttons, platform::Icon, platform::TrayClick;

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

// A message box whole, as "title|icon|buttons|text".
QString box(const platform::MessageBoxRequest& r) {
    return u"%1|%2|%3|%4"_s.arg(r.title).arg(int(r.icon)).arg(int(r.buttons)).arg(r.text);
}

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
    QString boxes() const { // every message box asked, a line each
        QStringList out;
        for (const platform::MessageBoxRequest& r : quiet.messages.asked)
            out << box(r);
        return out.join(u'\n');
    }
};

// How the send that the status line tells of ended.
enum class Ending { SentToAll, StoppedAfterTwoOfFive };

// Types each character as a key press carrying it, letters beyond Latin-1 too.
void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void row(const char* name, const char* text) {
    QTest::newRow(name) << QString(text);
}

} // namespace

Q_DECLARE_METATYPE(Ending)
Q_DECLARE_METATYPE(SendRoute)

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
    // in the field without opening the address book, as Alt+M does for the message.
    void mnemonicsOfTheFields_data() {
        QTest::addColumn<QString>("caretIn");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("caretAfter");
        QTest::newRow("Alt+T from the message") << "txtMessage"
                                                << "Alt+T"
                                                << "txtTo";
        QTest::newRow("Alt+M from To") << "txtTo"
                                       << "Alt+M"
                                       << "txtMessage";
    }
    void mnemonicsOfTheFields() {
        QFETCH(QString, caretIn);
        QFETCH(QString, keys);
        QFETCH(QString, caretAfter);
        Fixture f;
        int addressBooks = 0;
        f.load({.showAddressBook = [&] { ++addressBooks; }, .sendMessage = [] {}});
        f.window->show();
        auto* button = f.find<QPushButton>("cmdTo");
        QCOMPARE(QKeySequence::mnemonic(button->text()), QKeySequence(u"Alt+T"_s));
        QCOMPARE(button->text().remove(u'&'), u"To.."_s);
        test::focusAndWait(f.find<QWidget>(qPrintable(caretIn)));
        test::press(keys);
        QCOMPARE(QApplication::focusWidget()->objectName(), caretAfter);
        QCOMPARE(addressBooks, 0);
        QVERIFY(f.window->composeEnabled());
    }

    // The chooser's question is the list's description: a screen reader says it on reaching
    // the list.
    void chooserQuestionDescribesTheList() {
        Fixture f;
        f.load();
        NameChooserWindow chooser(*f.window);
        QString description;
        QTimer::singleShot(0, &chooser, [&] {
            auto* list = chooser.findChild<QListWidget*>(u"lstContacts"_s);
            description =
                QAccessible::queryAccessibleInterface(list)->text(QAccessible::Description);
            chooser.findChild<QPushButton*>(u"cmdCancel"_s)->click();
        });
        chooser.Main(u"Anna;Anne"_s, 2, u"ann"_s);
        QCOMPARE(description, u"Please select whom you mean by 'ann' .."_s);
    }

    // A start-up that finds the send method stored as it would store it writes nothing; one
    // that finds it otherwise stores it in its own form.
    void startUpStoresTheSendMethodOnlyWhenItDiffers_data() {
        QTest::addColumn<QByteArray>("storedLine");
        QTest::addColumn<bool>("rewritten");
        QTest::addColumn<QString>("storedAfter");
        QTest::newRow("free, as stored") << "sendtype=0"_ba << false << u"0"_s;
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

    // The send method survives a restart; "method|lengths of the text's lines|keys|stats", the
    // keys typed at the end of the text with "12\n34" on the clipboard.  A line break counts
    // two; typing and a paste stop at the limit.
    void statisticsAfterRestart_data() {
        QTest::addColumn<QString>("row");
        row("empty", "0|||0 characters used (split over 0 messages)");
        row("one", "0|1||1 character used (split over 1 message)");
        row("paid whole", "1|130||130 characters used (split over 1 message)");
        row("line break counts two", "0|57 57||116 characters used (split over 2 messages)");
        row("typing stops", "0|32764|a Return b|32767 characters used (split over 285 messages)");
        row("paste cut", "0|32763|Ctrl+V|32767 characters used (split over 285 messages)");
        row("paste undone",
            "0|32763|Ctrl+V Ctrl+Z|32763 characters used (split over 285 messages)");
    }
    void statisticsAfterRestart() {
        QFETCH(QString, row);
        const QStringList c = row.split(u'|');
        QStringList text;
        for (const QString& length : c[1].split(u' ', Qt::SkipEmptyParts))
            text << QString(length.toInt(), u'x');
        Fixture f;
        f.load();
        f.find<QComboBox>("cmbSendMethod")->setCurrentIndex(c[0].toInt());
        f.load();
        QCOMPARE(f.window->sendMethodIndex(), c[0].toInt());
        f.message()->setPlainText(u"x"_s);
        f.message()->setPlainText(text.join(u'\n'));
        f.message()->moveCursor(QTextCursor::End);
        QApplication::clipboard()->setText(u"12\n34"_s);
        for (const QString& key : c[2].split(u' ', Qt::SkipEmptyParts))
            QTest::keySequence(f.message(), QKeySequence(key));
        QCOMPARE(f.label("lblStats"), c[3]);
    }

    // One window walked through.  The menus as a person reads them ("caption|shortcut", "-" a
    // line), what each Help item opens, the To.. tip and the order Tab visits the controls in.
    // New Message asks only once something is written, No keeps it; File > Clear recipients
    // and Clear message each empty their own field, unasked; the caret goes to the start.
    // Send with both empty lists both reasons; filled in, a remembered account sends without
    // login, and the window stays disabled until the send ends.
    void menusNewMessageAndSend() {
        Fixture f;
        for (const QString& entry : u"operatorhomepage=o2 homepage=zemble messageboardpage=board "
                                    "guestbookpage=guestbook confnumber=0771 signature=sig "
                                    "wispusername=alice"_s.split(u' '))
            save_setting(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        save_setting(u"wisppassword"_s, scramble_password(u"secret"_s));
        int about = 0;
        QStringList calls;
        f.load({.showAddressBook = [] {},
                .showPreferences = [] {},
                .showAbout = [&] { ++about; },
                .showLogin = [&](LoginFocus) { calls << u"login"_s; },
                .sendMessage = [&] { calls << u"send"_s; }});
        QStringList menus;
        for (const char* name : {"mnuFileTop", "mnuEditTop", "mnuHelpTop"}) {
            QStringList items;
            for (const QAction* a : f.find<QMenu>(name)->actions())
                items << (a->isSeparator()
                              ? u"-"_s
                              : a->text() + (a->shortcut().isEmpty() ? u""_s : u"|"_s) +
                                    a->shortcut().toString());
            menus << f.find<QMenu>(name)->title() + u": "_s + items.join(u", "_s);
        }
        QCOMPARE(menus, QStringList({u"&File: &New message|Ctrl+N, &Clear recipients, C&lear "
                                     "message, -, &Send...|Ctrl+S, -, E&xit"_s,
                                     u"&Edit: &Undo|Ctrl+Z, -, Cu&t|Ctrl+X, &Copy|Ctrl+C, "
                                     "&Paste|Ctrl+V, &Delete|Del, -, &Preferences..."_s,
                                     u"&Help: &Contents...|F1, -, &O2 website..., -, Zemble "
                                     "website..., Zemble message board..., Zemble guestbook..., -, "
                                     "&About Zemble..."_s}));
        for (QAction* a : f.find<QMenu>("mnuHelpTop")->actions())
            a->trigger();
        QCOMPARE(f.quiet.help.topics, QStringList{u"(contents)"_s});
        QCOMPARE(f.quiet.browser.opened, QStringList({u"o2"_s, "zemble", "board", "guestbook"}));
        QCOMPARE(about, 1);
        QCOMPARE(f.find<QPushButton>("cmdTo")->toolTip(), u"Select from contacts list"_s);
        test::focusAndWait(f.to());
        QStringList visited;
        for (int i = 0; i < 9; ++i, test::press(u"Tab"_s))
            visited << QApplication::focusWidget()->objectName();
        QCOMPARE(visited.join(u' '), u"txtTo cmdTo txtMessage cmbSendMethod chkSendConfirmation "
                                     "cmdSend cmdNewMessage cmdHelp cmdQuit"_s);

        const auto fields = [&] {
            return u"%1|%2|%3"_s.arg(f.to()->text(), f.message()->toPlainText())
                .arg(f.message()->textCursor().position());
        };
        f.window->new_message();
        f.message()->setPlainText(u"xsig"_s);
        f.quiet.messages.answers << platform::Answer::No << platform::Answer::Yes;
        f.window->new_message();
        QCOMPARE(fields(), u"|xsig|0"_s);
        f.to()->setText(u"0771"_s);
        f.click("cmdNewMessage");
        QCOMPARE(fields(), u"|sig|0"_s);
        f.to()->setText(u"0771"_s);
        f.message()->setPlainText(u"xsig"_s);
        f.message()->moveCursor(QTextCursor::End);
        f.window->fileItem(1)->trigger();
        QCOMPARE(fields(), u"|xsig|4"_s);
        f.window->fileItem(2)->trigger();
        QCOMPARE(fields(), u"|sig|0"_s);

        f.message()->clear();
        f.click("cmdSend");
        QVERIFY(calls.isEmpty() && f.window->composeEnabled());
        const QString newMessage = box({u"New Message"_s,
                                        u"Are you sure you want to create a new SMS?\r\n"
                                        "Anything currently written will be erased."_s,
                                        Icon::Question, Buttons::YesNo});
        QCOMPARE(f.boxes(),
                 QStringList({newMessage, newMessage,
                              box({u"Message alert"_s,
                                   u"Zemble is going to be unable to send your text message "
                                   "because of the following reason(s):\r\n\r\n   \u2022  No "
                                   "phone number has been entered.\r\n   \u2022  No message has "
                                   "been entered.\r\n\r\nPlease check your details and try "
                                   "again"_s,
                                   Icon::Information})})
                     .join(u'\n'));
        f.to()->setText(u"0771"_s);
        f.message()->setPlainText(u"hi"_s);
        f.click("cmdSend");
        QCOMPARE(calls, QStringList{u"send"_s});
        QCOMPARE(session().session_password, u"secret"_s);
        QVERIFY(!f.window->composeEnabled());

        // Then, after a send with a long date, the window keeps its width and the text wraps
        // whole short of "Quota:"; edited then edited back it reads sent again; disabled, the
        // quota greys.
        const int width = f.window->width();
        session() = {.last_sent_key = u"0771hi"_s,
                     .last_sent_time = u"Wednesday 30 September 2026, 12:59:59 pm"_s};
        QStringList informed;
        for (const QString& text : {u"hi!"_s, u"hi"_s}) {
            f.message()->setPlainText(text);
            informed << f.label("lblInformation");
        }
        QCOMPARE(informed, QStringList({u"       You have not sent this text message yet"_s,
                                        u"       You sent this text message on Wednesday 30 "
                                        "September 2026, 12:59:59 pm"_s}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(f.window->width(), width);
        QLabel* information = f.find("lblInformation");
        QVERIFY(information->height() >= information->heightForWidth(information->width()));
        QVERIFY(f.find("Label2")->x() - information->geometry().right() >= 8);
        f.window->setComposeEnabled(true);
        QStringList quotas; // red only when both are 0
        for (const auto& [free, paid] : {std::pair{-1, -1}, {0, 0}, {-1, 0}}) {
            session().quota_free = qint16(free), session().quota_paid = qint16(paid);
            f.window->update_status_bar();
            quotas << f.label("lblQuota") + u"|"_s +
                          f.find("lblQuota")->palette().color(QPalette::WindowText).name();
        }
        QCOMPARE(quotas,
                 QStringList({u"Unknown free & unknown paid|#000000"_s,
                              u"0 free & 0 paid|#ff0000"_s, u"Unknown free & 0 paid|#000000"_s}));
        f.window->setComposeEnabled(false);
        QCOMPARE(f.find("lblQuota")->palette().color(QPalette::Disabled, QPalette::WindowText),
                 f.window->palette().color(QPalette::Disabled, QPalette::WindowText));
    }

    // "field with the caret#message#steps#chooser's answer#To after#message after (= as
    // was)#menu, commands, caret, undo after"; a step is a key or "press:button", released
    // while the chooser asks.  A menu is not leaving a field.
    void leavingAField_data() {
        QTest::addColumn<QString>("row");
        row("Alt+E, Esc in the message",
            "txtMessage#hello#Return d e f Alt+E Esc Esc###hello\ndef#caret txtMessage undo");
        row("Alt+F in To", "txtTo#hello#a n n Alt+F##ann#=#menu mnuFileTop caret menubar");
        row("Edit menu from To", "txtMessage#hello world#Ctrl+Shift+Left Shift+Tab Shift+Tab "
                                 "Alt+E C Alt+E D###hello #caret txtTo undo");
        row("Tab cleans the message",
            "txtMessage#two\r\nwords [x] ~{|}\u00a3 caf\u00e9\u007f\tz\u4e2d!#Tab###two words x "
            "{|}\u00a3 cafz!#caret cmbSendMethod");
        row("Tab through the chooser", "txtTo#hello#a n n Tab#Return#Anna#=#caret cmdTo");
        row("click Send, chooser OK",
            "txtTo#hello#a n n press:cmdSend#Return#Anna#=#send caret cmdSend");
        row("click Send, chooser Cancel",
            "txtTo#hello#a n n press:cmdSend#Esc#ann#=#send caret cmdSend");
        row("click Quit", "txtTo#hello#a n n press:cmdQuit#Return#Anna#=#end");
        row("a mnemonic is leaving", "txtTo#hello#a n n Alt+M#Return#Anna#=#caret txtMessage");
        row("Alt+E P with Paste disabled",
            "txtMessage#[x]#Alt+E P###=#preferences caret txtMessage");
        row("Enter on the focused Help", "cmdHelp#hello#Return###=#main.html caret cmdHelp");
    }
    void leavingAField() {
        QFETCH(QString, row);
        const QStringList c = row.split(u'#');
        Fixture f;
        contacts() = ContactStore{{u"Anna"_s, u"Anne"_s}, {u"071"_s, u"072"_s}, 2};
        save_setting(u"quitconfirm"_s, u"end"_s);
        QStringList did;
        const auto login = [&](LoginFocus) {
            did << u"send"_s;
            f.window->setComposeEnabled(true); // as the login dialog's Cancel
        };
        f.load({.showAddressBook = [] {},
                .showPreferences = [&] { did << u"preferences"_s; },
                .showLogin = login,
                .sendMessage = [] {}});
        connect(f.window.get(), &MainWindow::programEndRequested, [&] { did << u"end"_s; });
        NameChooserWindow chooser(*f.window);
        f.window->recipientsField().setChooser(&chooser);
        QApplication::clipboard()->clear();
        f.message()->setPlainText(c[1]);
        f.message()->moveCursor(QTextCursor::End);
        test::focusAndWait(f.find<QWidget>(qPrintable(c[0])));
        QPushButton* pressed = nullptr;
        QString answered;
        QTimer::singleShot(0, &chooser, [&] {
            if (!chooser.isVisible())
                return;
            if (pressed)
                QTest::mouseRelease(pressed, Qt::LeftButton);
            QVERIFY(QTest::qWaitForWindowActive(&chooser));
            // A question that should not have come is cancelled, and noted.
            answered = c[3].isEmpty() ? u"asked"_s : c[3];
            test::press(c[3].isEmpty() ? u"Esc"_s : c[3]);
        });
        for (const QString& step : c[2].split(u' ')) {
            if (!step.startsWith(u"press:"_s)) {
                test::press(step);
                continue;
            }
            pressed = f.find<QPushButton>(qPrintable(step.mid(6)));
            QTest::mousePress(pressed, Qt::LeftButton);
        }
        const auto describe = [&] {
            QStringList out;
            if (QWidget* menu = QApplication::activePopupWidget())
                out << u"menu "_s + menu->objectName();
            out << did << f.quiet.help.topics;
            if (f.window->isVisible() && QApplication::focusWidget())
                out << u"caret "_s + QApplication::focusWidget()->objectName();
            if (f.message()->document()->isUndoAvailable())
                out << u"undo"_s;
            return out.join(u' ');
        };
        QTRY_COMPARE(describe(), c[6]);
        test::press(QApplication::activePopupWidget() ? u"Esc Esc"_s : QString());
        QCOMPARE(answered, c[3]);
        QCOMPARE(f.to()->text(), c[4]);
        QCOMPARE(f.message()->toPlainText(), c[5] == u"="_s ? c[1] : c[5]);
        QCOMPARE(QApplication::clipboard()->text(), c[2].contains(u" C "_s) ? u"world"_s : u""_s);
        QVERIFY(!pressed || !pressed->isDown());
    }

    // Each "quitconfirm" value, and the log-off of a kept session on the way out:
    // "quitconfirm|edited|dontlogout|logged in|log-offs|question", "-" for a setting left unset;
    // the question, when there is one, ends "Are you sure you want to quit?".
    void quitQuestions_data() {
        QTest::addColumn<QString>("row");
        row("default untouched", "-|0|-|0|0");
        row("confirm (default) edited", "-|1|-|0|0|This SMS has not been sent yet.\r\n");
        row("ask untouched", "ask|0|-|0|0|");
        row("end edited", "end|1|-|0|0");
        row("kept session", "end|0|yes|1|1");
        row("no session", "end|0|yes|0|0");
        row("logs out each send", "end|0|no|1|0");
    }
    void quitQuestions() {
        QFETCH(QString, row);
        const QStringList c = row.split(u'|');
        Fixture f;
        for (const auto& [key, value] :
             {std::pair{u"quitconfirm"_s, c[0]}, {u"dontlogout"_s, c[2]}})
            if (value != u"-"_s)
                save_setting(key, value);
        int calls = 0;
        f.load({.exitLogOff = [&] { ++calls; }});
        session().logged_in = c[3] == u"1"_s;
        if (c[1] == u"1"_s)
            f.message()->setPlainText(u"x"_s);
        QSignalSpy ended(f.window.get(), &MainWindow::programEndRequested);
        f.window->setComposeEnabled(false); // not while a secondary window is open
        QVERIFY(!f.window->close());
        f.window->setComposeEnabled(true);
        f.quiet.messages.answers << platform::Answer::No << platform::Answer::Yes;
        f.click("cmdQuit");
        QCOMPARE(f.boxes(), c.size() < 6 ? QString()
                                         : box({u"Quit confirmation"_s,
                                                c[5] + u"Are you sure you want to quit?"_s,
                                                Icon::Exclamation, Buttons::YesNo}));
        if (c.size() == 6) {
            QVERIFY(ended.isEmpty() && f.window->isVisible()); // No keeps the window
            f.window->fileItem(6)->trigger();
        }
        QVERIFY(ended.size() == 1 && !f.window->isVisible());
        QCOMPARE(calls, c[4].toInt());
    }

    // Minimised with "systemtray" on, the window hides behind an icon unless there is no
    // notification area; any click but the middle one brings it back, and so does another start
    // of the program from wherever the window is.  "systemtray|click (TrayClick's order; -1 none,
    // -2 no notification area)|state minimised|state after the click", a state "visible minimised
    // icon shows".
    // What the window shows follows the route: through the gateway the statistics count SMS as
    // the gateway sends them, the quota is not the operator's, the send methods are one
    // disabled entry, the text keeps its characters when the message box is left, and Send
    // goes to the send job without asking for the operator's account.
    void windowFollowsTheRoute_data() {
        QTest::addColumn<SendRoute>("route");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stats");
        QTest::addColumn<QString>("quota");
        QTest::addColumn<QStringList>("methods");
        QTest::addColumn<bool>("methodsEnabled");
        QTest::addColumn<QString>("afterLeaving");
        QTest::addColumn<bool>("loginAsked");
        const QStringList quotas = {u"Use free quota"_s, u"Use paid quota"_s};
        const QStringList gateway = {u"Sent through the SMS gateway"_s};
        const QString letters160(160, u'a');
        QTest::newRow("operator's site, 160 letters")
            << SendRoute::OperatorSite << letters160
            << u"160 characters used (split over 2 messages)"_s << u"7 free & 3 paid"_s << quotas
            << true << letters160 << true;
        QTest::newRow("gateway, 160 letters")
            << SendRoute::KannelGateway << letters160
            << u"160 characters used (split over 1 message)"_s
            << u"not reported by the SMS gateway"_s << gateway << false << letters160 << false;
        QTest::newRow("gateway, 159 letters and a euro sign")
            << SendRoute::KannelGateway << QString(159, u'a') + u"€"_s
            << u"160 characters used (split over 2 messages)"_s
            << u"not reported by the SMS gateway"_s << gateway << false
            << QString(159, u'a') + u"€"_s << false;
        QTest::newRow("gateway, 71 Greek letters")
            << SendRoute::KannelGateway << QString(71, QChar(0x3C9))
            << u"71 characters used (split over 2 messages)"_s
            << u"not reported by the SMS gateway"_s << gateway << false << QString(71, QChar(0x3C9))
            << false;
    }
    void windowFollowsTheRoute() {
        QFETCH(SendRoute, route);
        QFETCH(QString, typed);
        QFETCH(QString, stats);
        QFETCH(QString, quota);
        QFETCH(QStringList, methods);
        QFETCH(bool, methodsEnabled);
        QFETCH(QString, afterLeaving);
        QFETCH(bool, loginAsked);
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
        QCOMPARE(f.label("lblQuota"), quota);
        auto* list = f.find<QComboBox>("cmbSendMethod");
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->itemText(i);
        QCOMPARE(shown, methods);
        QCOMPARE(list->isEnabled(), methodsEnabled);
        QTest::keyClick(f.message(), Qt::Key_Tab);
        QCOMPARE(f.message()->toPlainText(), afterLeaving);
        f.to()->setText(u"07700900123"_s);
        f.click("cmdSend");
        QCOMPARE(logins, loginAsked ? 1 : 0);
        QCOMPARE(sends, loginAsked ? 0 : 1);
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

    void trayHideAndRestore_data() {
        QTest::addColumn<QString>("row");
        row("left", "yes|0|0 1 1 1|1 0 0 1");
        row("double", "yes|1|0 1 1 1|1 0 0 1");
        row("right", "yes|2|0 1 1 1|1 0 0 1");
        row("middle", "yes|3|0 1 1 1|0 1 1 1");
        row("switched off", "no|-1|1 1 0 0|");
        row("no notification area", "yes|-2|1 1 0 1|");
    }
    void trayHideAndRestore() {
        QFETCH(QString, row);
        const QStringList c = row.split(u'|');
        Fixture f;
        save_setting(u"systemtray"_s, c[0]);
        f.tray.available = c[1] != u"-2"_s;
        f.load().setWindowIcon(QIcon(QPixmap(16, 16)));
        const auto state = [&] {
            return QString::asprintf("%d %d %d %d", f.window->isVisible(), f.window->isMinimized(),
                                     f.tray.shown, f.tray.showCount);
        };
        f.window->showMinimized();
        QTRY_VERIFY(f.window->isMinimized());
        QCoreApplication::processEvents();
        QCOMPARE(state(), c[2]);
        if (f.tray.shown) {
            QCOMPARE(f.tray.tip, u"Zemble"_s);
            f.tray.onClick(TrayClick(c[1].toInt()));
            QCOMPARE(state(), c[3]);
        }
        f.window->showFromAnotherStart();
        QCOMPARE(state(), u"1 0 0 "_s + c[2].back());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
