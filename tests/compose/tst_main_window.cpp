#include "compose/main_window.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "platform/tray.h"
#include "support/doubles.h"
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

    Fixture() { session() = SessionState{}; }
    MainWindow& load(ComposeWindows windows = {}) {
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

void focusAndWait(QWidget* widget) {
    widget->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(widget->window()));
    widget->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(widget->hasFocus());
}

void moveCaret(QPlainTextEdit* edit, int anchor, int position) {
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    edit->setTextCursor(cursor);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    // The send method chosen survives a restart and sets the part count.
    void statisticsAfterRestart_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stats");
        QTest::newRow("empty") << 0 << u""_s << u"0 characters used (split over 0 messages)"_s;
        QTest::newRow("one") << 0 << u"a"_s << u"1 character used (split over 1 message)"_s;
        QTest::newRow("free split")
            << 0 << QString(116, 'x') << u"116 characters used (split over 2 messages)"_s;
        QTest::newRow("paid whole")
            << 1 << QString(130, 'x') << u"130 characters used (split over 1 message)"_s;
        // A line break is a carriage return and a line feed: two characters.
        QTest::newRow("line break counts two") << 0 << QString(57, 'x') + "\n" + QString(57, 'y')
                                               << u"116 characters used (split over 2 messages)"_s;
    }
    void statisticsAfterRestart() {
        QFETCH(int, method);
        QFETCH(QString, text);
        QFETCH(QString, stats);
        Fixture f;
        f.load();
        f.find<QComboBox>("cmbSendMethod")->setCurrentIndex(method);
        f.load();
        QCOMPARE(f.window->sendMethodIndex(), method);
        f.message()->setPlainText(u"x"_s);
        f.message()->setPlainText(text);
        QCOMPARE(f.label("lblStats"), stats);
    }

    void cleanUpOnLeavingMessage() {
        Fixture f;
        f.load();
        focusAndWait(f.message());
        f.message()->setPlainText(u"two\r\nwords [x] ~{|}\u00a3 caf\u00e9\u007f\tz\u4e2d!"_s);
        const QString typed = f.message()->toPlainText();
        f.window->setComposeEnabled(false); // a secondary window opens: not leaving
        f.window->setComposeEnabled(true);
        QVERIFY(f.message()->hasFocus() && f.message()->toPlainText() == typed);
        f.to()->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(f.to()->hasFocus());
        QCOMPARE(f.message()->toPlainText(), u"two words x {|}\u00a3 cafz!"_s);
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
    void quotaDisplay() {
        QFETCH(int, free);
        QFETCH(int, paid);
        QFETCH(QString, shown);
        QFETCH(QColor, colour);
        Fixture f;
        f.load();
        session().quota_free = qint16(free);
        session().quota_paid = qint16(paid);
        f.window->update_status_bar();
        QCOMPARE(f.label("lblQuota"), shown);
        QCOMPARE(f.find("lblQuota")->palette().color(QPalette::WindowText), colour);
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

    // The caret sits in the To field; the Edit menu still works on the message.
    void editCommands() {
        Fixture f;
        MainWindow& w = f.load();
        QApplication::clipboard()->clear();
        f.message()->setPlainText(u"hello world"_s);
        w.update_edit_menu();
        for (int item : {0, 2, 3, 4, 5})
            QVERIFY2(!w.editItem(item)->isEnabled(), qPrintable(QString::number(item)));
        focusAndWait(f.to());
        moveCaret(f.message(), 5, 11);
        f.find<QMenu>("mnuEditTop")->popup(QPoint(0, 0));
        for (int item : {2, 3, 5})
            QVERIFY2(w.editItem(item)->isEnabled(), qPrintable(QString::number(item)));
        f.find<QMenu>("mnuEditTop")->hide();
        w.editItem(3)->trigger(); // copy
        QCOMPARE(QApplication::clipboard()->text(), u" world"_s);
        w.editItem(5)->trigger(); // delete
        QCOMPARE(f.message()->toPlainText(), u"hello"_s);
        QCOMPARE(f.to()->text(), QString());
        w.update_edit_menu();
        QVERIFY(w.editItem(0)->isEnabled() && w.editItem(4)->isEnabled());
        w.editItem(0)->trigger(); // undo
        QCOMPARE(f.message()->toPlainText(), u"hello world"_s);
        moveCaret(f.message(), 11, 11);
        w.editItem(4)->trigger(); // paste
        QCOMPARE(f.message()->toPlainText(), u"hello world world"_s);
        moveCaret(f.message(), 0, 6);
        w.update_edit_menu();
        w.editItem(2)->trigger(); // cut
        QCOMPARE(f.message()->toPlainText(), u"world world"_s);
        QCOMPARE(QApplication::clipboard()->text(), u"hello "_s);
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
        QTest::newRow("default edited") << none << true << unsent << none << false << 0;
        QTest::newRow("confirm edited") << u"confirm"_s << true << unsent << none << false << 0;
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
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
