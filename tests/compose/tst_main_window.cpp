#include "addressbook/contact_store.h"
#include "compose/main_window.h"
#include "compose/name_chooser.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "platform/tray.h"
#include "support/doubles.h"
#include "support/keys.h"
#include "support/temp_settings.h"

#include <QtTest>
#include <QtWidgets>

using namespace zemble;
using namespace Qt::StringLiterals;
using platform::TrayClick;

namespace {

// The notification area; not `available` plays a desktop without one.
class RecordingTray final : public platform::TrayService {
public:
    void showIcon(const QIcon&, const QString& tipText,
                  std::function<void(TrayClick)> clicked) override {
        ++showCount;
        shown = available;
        tip = tipText;
        onClick = std::move(clicked);
    }
    void removeIcon() override { shown = false; }
    bool iconShown() const override { return shown; }
    bool available = true;
    bool shown = false;
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
    QList<platform::MessageBoxRequest>& asked = quiet.messages.asked;

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

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    // The send method chosen survives a restart and sets the part count; `keys` are typed
    // at the end of `text`, with "12", a line break and "34" on the clipboard.  A line
    // break counts two; typing stops at the limit and a paste is cut there, in one undo step.
    void statisticsAfterRestart_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("stats");
        const QString none, limit = u"32767 characters used (split over 285 messages)"_s;
        QTest::newRow("empty") << 0 << none << none
                               << u"0 characters used (split over 0 messages)"_s;
        QTest::newRow("one") << 0 << u"a"_s << none << u"1 character used (split over 1 message)"_s;
        QTest::newRow("free split")
            << 0 << QString(116, 'x') << none << u"116 characters used (split over 2 messages)"_s;
        QTest::newRow("paid whole")
            << 1 << QString(130, 'x') << none << u"130 characters used (split over 1 message)"_s;
        QTest::newRow("line break counts two")
            << 0 << QString(57, 'x') + "\n" + QString(57, 'y') << none
            << u"116 characters used (split over 2 messages)"_s;
        QTest::newRow("typing stops") << 0 << QString(32764, 'x') << u"a Return b"_s << limit;
        QTest::newRow("paste cut") << 0 << QString(32763, 'x') << u"Ctrl+V"_s << limit;
        QTest::newRow("paste undone") << 0 << QString(32763, 'x') << u"Ctrl+V Ctrl+Z"_s
                                      << u"32763 characters used (split over 285 messages)"_s;
    }
    void statisticsAfterRestart() {
        QFETCH(int, method);
        QFETCH(QString, text);
        QFETCH(QString, keys);
        QFETCH(QString, stats);
        Fixture f;
        f.load();
        f.find<QComboBox>("cmbSendMethod")->setCurrentIndex(method);
        f.load();
        QCOMPARE(f.window->sendMethodIndex(), method);
        f.message()->setPlainText(u"x"_s);
        f.message()->setPlainText(text);
        f.message()->moveCursor(QTextCursor::End);
        QApplication::clipboard()->setText(u"12\n34"_s);
        for (const QString& key : keys.split(u' ', Qt::SkipEmptyParts))
            QTest::keySequence(f.message(), QKeySequence(key));
        QCOMPARE(f.label("lblStats"), stats);
    }

    void quotaDisplay_data() {
        QTest::addColumn<int>("free");
        QTest::addColumn<int>("paid");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("unknown") << -1 << -1 << "Unknown free & unknown paid" << QColor(Qt::black);
        QTest::newRow("both zero") << 0 << 0 << "0 free & 0 paid" << QColor(Qt::red);
        QTest::newRow("unknown free") << -1 << 0 << "Unknown free & 0 paid" << QColor(Qt::black);
    }
    // Shown after a send with a long date: the window keeps its width, the send
    // state wraps whole and stops short of "Quota:"; disabled, the quota greys out.
    void quotaDisplay() {
        QFETCH(int, free);
        QFETCH(int, paid);
        QFETCH(QString, shown);
        QFETCH(QColor, colour);
        Fixture f;
        const int width = f.load().width();
        session() = {.quota_free = qint16(free),
                     .quota_paid = qint16(paid),
                     .last_sent_key = u"0771"_s,
                     .last_sent_time = u"Wednesday 30 September 2026, 12:59:59 pm"_s};
        f.to()->setText(u"0771"_s);
        f.window->update_status_bar();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(f.window->width(), width);
        QLabel* information = f.find("lblInformation");
        QVERIFY(information->height() >= information->heightForWidth(information->width()));
        QVERIFY(f.find("Label2")->x() - information->geometry().right() >= 8);
        QCOMPARE(f.label("lblQuota"), shown);
        QCOMPARE(f.find("lblQuota")->palette().color(QPalette::WindowText), colour);
        f.window->setComposeEnabled(false);
        QCOMPARE(f.find("lblQuota")->palette().color(QPalette::Disabled, QPalette::WindowText),
                 f.window->palette().color(QPalette::Disabled, QPalette::WindowText));
    }

    void newMessageQuestion() {
        Fixture f;
        save_setting(u"signature"_s, u"sig"_s);
        f.load();
        f.window->new_message();
        QVERIFY(f.asked.isEmpty());
        f.message()->setPlainText(u"xsig"_s);
        f.quiet.messages.answers << platform::Answer::No << platform::Answer::Yes;
        f.window->new_message();
        QCOMPARE(f.asked.size(), 1);
        QCOMPARE(f.asked.first().title, u"New Message"_s);
        QCOMPARE(f.asked.first().text, u"Are you sure you want to create a new SMS?\r\nAnything "
                                       "currently written will be erased."_s);
        QCOMPARE(f.message()->toPlainText(), u"xsig"_s);
        f.to()->setText(u"0771"_s);
        f.click("cmdNewMessage");
        QCOMPARE(f.asked.size(), 2);
        QCOMPARE(f.to()->text(), QString());
        QCOMPARE(f.message()->toPlainText(), u"sig"_s);
        QCOMPARE(f.message()->textCursor().position(), 0);
    }

    // Empty: both reasons listed.  Filled in, a remembered account sends without login.
    void sendChecksThenHandsOver() {
        Fixture f;
        save_setting(u"wispusername"_s, u"alice"_s);
        save_setting(u"wisppassword"_s, scramble_password(u"secret"_s));
        QStringList calls;
        f.load({.showLogin = [&](LoginFocus) { calls << u"login"_s; },
                .sendMessage = [&] { calls << u"send"_s; }});
        f.message()->clear();
        f.click("cmdSend");
        QCOMPARE(f.asked.size(), 1);
        QCOMPARE(f.asked.first().title, u"Message alert"_s);
        QCOMPARE(f.asked.first().text,
                 u"Zemble is going to be unable to send your text message because of the "
                 "following reason(s):\r\n\r\n   \u2022  No phone number has been entered.\r\n"
                 "   \u2022  No message has been entered.\r\n\r\nPlease check your details and "
                 "try again"_s);
        QVERIFY(calls.isEmpty() && f.window->composeEnabled());
        f.to()->setText(u"0771"_s);
        f.message()->setPlainText(u"hi"_s);
        f.click("cmdSend");
        QCOMPARE(calls, QStringList{u"send"_s});
        QCOMPARE(session().session_password, u"secret"_s);
        QVERIFY(!f.window->composeEnabled()); // until the send ends
    }

    // What a person does, one step after another, with the caret first in a field: keys
    // ("Alt+E", "a"), each to the open menu or the control with the caret, or a mouse press
    // ("press:cmdSend") whose release comes while the name chooser asks.  The chooser, if it
    // asks, gets `answer`.  Then the menu left open, the commands run, where the caret is and
    // whether the message can be undone.  A menu is not leaving a field; the Edit menu acts
    // on the message wherever the caret is.  Each row is "field#message#steps#answer#To
    // after#message after#what after", "=" for a message left alone.
    void leavingAField_data() {
        QTest::addColumn<QString>("row");
        const auto row = [](const char* name, const char* fields) {
            QTest::newRow(name) << QString::fromUtf8(fields);
        };
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
        test::focus_and_wait(f.find<QWidget>(qPrintable(c[0])));
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

    // Each "quitconfirm" value, and the log-off of a kept session on the way out.
    void quitQuestions_data() {
        QTest::addColumn<QString>("quitconfirm");
        QTest::addColumn<bool>("edited");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("dontlogout");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<int>("logOffs");
        const QString unsent =
            u"This SMS has not been sent yet.\r\nAre you sure you want to quit?"_s;
        const QString always = u"Are you sure you want to quit?"_s, none;
        QTest::newRow("default untouched") << none << false << none << none << false << 0;
        QTest::newRow("confirm (default) edited") << none << true << unsent << none << false << 0;
        QTest::newRow("ask untouched") << u"ask"_s << false << always << none << false << 0;
        QTest::newRow("end edited") << u"end"_s << true << none << none << false << 0;
        QTest::newRow("kept session") << u"end"_s << false << none << u"yes"_s << true << 1;
        QTest::newRow("no session") << u"end"_s << false << none << u"yes"_s << false << 0;
        QTest::newRow("logs out each send") << u"end"_s << false << none << u"no"_s << true << 0;
    }
    void quitQuestions() {
        QFETCH(QString, quitconfirm);
        QFETCH(bool, edited);
        QFETCH(QString, question);
        QFETCH(QString, dontlogout);
        QFETCH(bool, loggedIn);
        QFETCH(int, logOffs);
        Fixture f;
        if (!quitconfirm.isNull()) // null: the default
            save_setting(u"quitconfirm"_s, quitconfirm);
        if (!dontlogout.isNull())
            save_setting(u"dontlogout"_s, dontlogout);
        int calls = 0;
        f.load({.exitLogOff = [&] { ++calls; }});
        session().logged_in = loggedIn;
        if (edited)
            f.message()->setPlainText(u"x"_s);
        QSignalSpy ended(f.window.get(), &MainWindow::programEndRequested);
        f.window->setComposeEnabled(false); // not while a secondary window is open
        QVERIFY(!f.window->close());
        f.window->setComposeEnabled(true);
        f.quiet.messages.answers << platform::Answer::No << platform::Answer::Yes;
        f.click("cmdQuit");
        QCOMPARE(f.asked.size(), question.isEmpty() ? 0 : 1);
        if (!question.isEmpty()) {
            QCOMPARE(f.asked.first().title, u"Quit confirmation"_s);
            QCOMPARE(f.asked.first().text, question);
            QVERIFY(ended.isEmpty() && f.window->isVisible()); // No keeps the window
            f.window->fileItem(6)->trigger();
        }
        QVERIFY(ended.size() == 1 && !f.window->isVisible());
        QCOMPARE(calls, logOffs);
    }

    // Minimised with "systemtray" on, the window hides behind an icon unless there is
    // no notification area (-1: no hiding); any click but the middle one brings it back.
    void trayHideAndRestore_data() {
        QTest::addColumn<QString>("systemtray");
        QTest::addColumn<bool>("trayAvailable");
        QTest::addColumn<int>("click");
        QTest::newRow("left") << u"yes"_s << true << int(TrayClick::Left);
        QTest::newRow("double") << u"yes"_s << true << int(TrayClick::Double);
        QTest::newRow("right") << u"yes"_s << true << int(TrayClick::Right);
        QTest::newRow("middle") << u"yes"_s << true << int(TrayClick::Middle);
        QTest::newRow("switched off") << u"no"_s << true << -1;
        QTest::newRow("no notification area") << u"yes"_s << false << -1;
    }
    void trayHideAndRestore() {
        QFETCH(QString, systemtray);
        QFETCH(bool, trayAvailable);
        QFETCH(int, click);
        const bool restores = click != int(TrayClick::Middle);
        Fixture f;
        save_setting(u"systemtray"_s, systemtray);
        f.tray.available = trayAvailable;
        f.load().setWindowIcon(QIcon(QPixmap(16, 16)));
        f.window->showMinimized();
        QTRY_VERIFY(f.window->isMinimized());
        QCoreApplication::processEvents();
        QCOMPARE(f.window->isVisible(), click < 0);
        QCOMPARE(f.tray.shown, click >= 0);
        QCOMPARE(f.tray.showCount, systemtray == "yes" ? 1 : 0);
        if (click >= 0) {
            QCOMPARE(f.tray.tip, u"Zemble"_s);
            f.tray.onClick(TrayClick(click));
            QCOMPARE(f.window->isVisible(), restores);
            QCOMPARE(f.tray.shown, !restores);
            QCOMPARE(f.window->isMinimized(), !restores);
        }
        // Another start of the program brings the window back from wherever it is.
        f.window->showFromAnotherStart();
        QVERIFY(f.window->isVisible() && !f.window->isMinimized() && !f.tray.shown);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
