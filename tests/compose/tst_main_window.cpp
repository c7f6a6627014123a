#include "addressbook/contact_store.h"
#include "compose/compose_logic.h"
#include "compose/main_window.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "platform/help.h"
#include "platform/web_browser.h"
#include "support/doubles.h"
#include "support/temp_settings.h"
#include "support/tray_double.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace zemble;
using platform::Answer;
using platform::TrayClick;

namespace {

class RecordingHelp final : public platform::HelpService {
public:
    void showTopic(const QString& page) override { topics.append(page); }
    void showContents() override { ++contents; }
    QStringList topics;
    int contents = 0;
};

class RecordingBrowser final : public platform::WebBrowserService {
public:
    void openAddress(const QString& address) override { opened.append(address); }
    QStringList opened;
};

// One compose window with every platform service replaced.
struct Fixture {
    test::TempSettings settings;
    test::QuietPlatform quiet;
    test::RecordingTray tray;
    RecordingHelp help;
    RecordingBrowser browser;
    platform::ScopedService<platform::TrayService> trayGuard{&tray};
    platform::ScopedService<platform::HelpService> helpGuard{&help};
    platform::ScopedService<platform::WebBrowserService> browserGuard{&browser};
    std::unique_ptr<MainWindow> window;

    Fixture() {
        session() = SessionState{};
        contacts() = ContactStore{};
    }
    MainWindow& load(ComposeWindows windows = {}) {
        window = std::make_unique<MainWindow>(std::move(windows));
        window->Form_Load();
        return *window;
    }
    template <class T> T* find(const char* name) const {
        return window->findChild<T*>(QLatin1String(name));
    }
    QPlainTextEdit* message() const { return find<QPlainTextEdit>("txtMessage"); }
    QLineEdit* to() const { return find<QLineEdit>("txtTo"); }
    QLabel* label(const char* name) const { return find<QLabel>(name); }
};

void focusAndWait(QWidget* widget) {
    widget->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(widget->window()));
    widget->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(widget->hasFocus());
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void statistics_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("stats");
        QTest::newRow("one") << "a" << 0 << "1 character used (split over 1 message)";
        QTest::newRow("two") << "ab" << 0 << "2 characters used (split over 1 message)";
        QTest::newRow("free split")
            << QString(116, 'x') << 0 << "116 characters used (split over 2 messages)";
        QTest::newRow("paid whole")
            << QString(130, 'x') << 1 << "130 characters used (split over 1 message)";
    }
    void statistics() {
        QFETCH(QString, text);
        QFETCH(int, method);
        QFETCH(QString, stats);
        Fixture f;
        f.load();
        f.find<QComboBox>("cmbSendMethod")->setCurrentIndex(method);
        f.message()->setPlainText(text);
        QCOMPARE(f.label("lblStats")->text(), stats);
    }

    void sendMethodSwitchAndRestart() {
        Fixture f;
        f.load();
        f.message()->setPlainText(QString(130, 'x'));
        QCOMPARE(f.label("lblStats")->text(),
                 QStringLiteral("130 characters used (split over 2 messages)"));
        f.find<QComboBox>("cmbSendMethod")->setCurrentIndex(1);
        QCOMPARE(f.label("lblStats")->text(),
                 QStringLiteral("130 characters used (split over 1 message)"));
        QCOMPARE(session().part_length, qint16(145));
        QCOMPARE(get_setting(QStringLiteral("sendtype"), 0), QStringLiteral("1"));
        // A new window, as after a restart, comes back with the paid method.
        f.load();
        QCOMPARE(f.find<QComboBox>("cmbSendMethod")->currentIndex(), 1);
        QCOMPARE(f.window->sendMethodIndex(), 1);
    }

    void cleanUpOnLeavingMessage() {
        Fixture f;
        f.load();
        focusAndWait(f.message());
        f.message()->setPlainText(QStringLiteral("two\r\nwords [x] ~{|}\u00a3"));
        f.to()->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(f.to()->hasFocus());
        QCOMPARE(f.message()->toPlainText(), QStringLiteral("two words x {|}\u00a3"));
    }

    void messageLengthLimit() {
        Fixture f;
        f.load();
        f.message()->setPlainText(QString(kMaxMessageLength - 2, 'a'));
        QTextCursor end = f.message()->textCursor();
        end.movePosition(QTextCursor::End);
        f.message()->setTextCursor(end);
        f.message()->insertPlainText(QStringLiteral("bcde"));
        QCOMPARE(f.message()->toPlainText().size(), qsizetype(kMaxMessageLength));
        QVERIFY(f.message()->toPlainText().endsWith(QStringLiteral("aabc")));
    }

    void quotaDisplay_data() {
        QTest::addColumn<int>("free");
        QTest::addColumn<int>("paid");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("unknown") << -1 << -1 << "Unknown free & unknown paid" << QColor(0, 0, 0);
        QTest::newRow("both zero") << 0 << 0 << "0 free & 0 paid" << QColor(255, 0, 0);
        QTest::newRow("unknown free") << -1 << 0 << "Unknown free & 0 paid" << QColor(0, 0, 0);
        QTest::newRow("figures") << 12 << 0 << "12 free & 0 paid" << QColor(0, 0, 0);
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
        QCOMPARE(f.label("lblQuota")->text(), shown);
        QCOMPARE(f.label("lblQuota")->palette().color(QPalette::WindowText), colour);
    }

    void sendState() {
        Fixture f;
        save_setting(QStringLiteral("signature"), QStringLiteral("-- me"));
        f.load();
        const QString notSent = QStringLiteral("       You have not sent this text message yet");
        QCOMPARE(f.label("lblInformation")->text(), notSent);
        QCOMPARE(f.message()->toPlainText(), QStringLiteral("-- me"));
        QCOMPARE(f.message()->textCursor().position(), 0);
        session().last_sent_key = QStringLiteral("0771hi -- me");
        session().last_sent_time = QStringLiteral("Thursday 22 May 2003, 07:03:09 pm");
        f.to()->setText(QStringLiteral("0771"));
        f.message()->setPlainText(QStringLiteral("hi -- me"));
        QCOMPARE(f.label("lblInformation")->text(),
                 QStringLiteral("       You sent this text message on Thursday 22 May 2003, "
                                "07:03:09 pm"));
        f.message()->setPlainText(QStringLiteral("hi -- me!"));
        QCOMPARE(f.label("lblInformation")->text(), notSent);
        f.message()->setPlainText(QStringLiteral("hi -- me"));
        QVERIFY(f.label("lblInformation")->text().contains(QLatin1String("You sent")));
    }

    void confirmationTickAtLoad_data() {
        QTest::addColumn<QString>("confnumber");
        QTest::addColumn<QString>("defaultsmsconf");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("checked");
        QTest::newRow("none") << ""
                              << "no" << false << false;
        QTest::newRow("number") << "07712345678"
                                << "no" << true << false;
        QTest::newRow("number ticked") << "07712345678"
                                       << "yes" << true << true;
        QTest::newRow("only exact yes") << "07712345678"
                                        << "Yes" << true << false;
    }
    void confirmationTickAtLoad() {
        QFETCH(QString, confnumber);
        QFETCH(QString, defaultsmsconf);
        QFETCH(bool, enabled);
        QFETCH(bool, checked);
        Fixture f;
        save_setting(QStringLiteral("confnumber"), confnumber);
        save_setting(QStringLiteral("defaultsmsconf"), defaultsmsconf);
        f.load();
        QCOMPARE(f.find<QCheckBox>("chkSendConfirmation")->isEnabled(), enabled);
        QCOMPARE(f.window->sendConfirmationChecked(), checked);
    }

    void newMessageQuestion() {
        Fixture f;
        save_setting(QStringLiteral("signature"), QStringLiteral("sig"));
        f.load();
        f.window->new_message();
        QVERIFY(f.quiet.messages.asked.isEmpty());

        f.message()->setPlainText(QStringLiteral("xsig"));
        f.to()->setText(QStringLiteral("0771"));
        f.quiet.messages.answers.enqueue(Answer::No);
        f.window->new_message();
        QCOMPARE(f.quiet.messages.asked.size(), 1);
        const auto& asked = f.quiet.messages.asked.first();
        QCOMPARE(asked.title, QStringLiteral("New Message"));
        QCOMPARE(asked.text,
                 QStringLiteral("Are you sure you want to create a new SMS?\r\nAnything "
                                "currently written will be erased."));
        QCOMPARE(asked.icon, platform::Icon::Question);
        QCOMPARE(asked.buttons, platform::Buttons::YesNo);
        QCOMPARE(f.message()->toPlainText(), QStringLiteral("xsig"));

        save_setting(QStringLiteral("defaultsmsconf"), QStringLiteral("yes"));
        session().last_sent_key = QStringLiteral("kept");
        f.quiet.messages.answers.enqueue(Answer::Yes);
        f.find<QPushButton>("cmdNewMessage")->click();
        QCOMPARE(f.to()->text(), QString());
        QCOMPARE(f.message()->toPlainText(), QStringLiteral("sig"));
        QCOMPARE(f.message()->textCursor().position(), 0);
        QVERIFY(f.window->sendConfirmationChecked());
        QCOMPARE(session().last_sent_key, QStringLiteral("kept"));
    }

    void fileMenuClears() {
        Fixture f;
        save_setting(QStringLiteral("signature"), QStringLiteral("sig"));
        f.load();
        f.to()->setText(QStringLiteral("Bob"));
        f.message()->setPlainText(QStringLiteral("hello sig"));
        f.window->fileItem(1)->trigger();
        QCOMPARE(f.to()->text(), QString());
        QCOMPARE(f.message()->toPlainText(), QStringLiteral("hello sig"));
        f.window->fileItem(2)->trigger();
        QCOMPARE(f.message()->toPlainText(), QStringLiteral("sig"));
        QCOMPARE(f.message()->textCursor().position(), 0);
        QVERIFY(f.quiet.messages.asked.isEmpty());
    }

    void sendRefusedWhenEmpty() {
        Fixture f;
        int sends = 0;
        f.load({.sendMessage = [&] { ++sends; }});
        f.message()->clear();
        f.find<QPushButton>("cmdSend")->click();
        QCOMPARE(f.quiet.messages.asked.size(), 1);
        const auto& asked = f.quiet.messages.asked.first();
        QCOMPARE(asked.title, QStringLiteral("Message alert"));
        QCOMPARE(asked.icon, platform::Icon::Information);
        QCOMPARE(asked.text,
                 QStringLiteral("Zemble is going to be unable to send your text message because of "
                                "the following reason(s):\r\n\r\n"
                                "   \u2022  No phone number has been entered.\r\n"
                                "   \u2022  No message has been entered.\r\n"
                                "\r\nPlease check your details and try again"));
        QCOMPARE(sends, 0);
        QVERIFY(f.window->composeEnabled());
    }

    void sendHandOver_data() {
        QTest::addColumn<QString>("storedUser");
        QTest::addColumn<QString>("storedPassword");
        QTest::addColumn<QString>("typedUser");
        QTest::addColumn<bool>("sends");
        QTest::addColumn<int>("focus");
        QTest::newRow("remembered account") << "alice"
                                            << "secret"
                                            << "" << true << -1;
        QTest::newRow("user only") << "alice"
                                   << ""
                                   << "" << false << int(LoginFocus::Password);
        QTest::newRow("password only") << ""
                                       << "secret"
                                       << "" << false << int(LoginFocus::Username);
        QTest::newRow("nothing") << ""
                                 << ""
                                 << "" << false << int(LoginFocus::DialogDefault);
        QTest::newRow("typed earlier") << ""
                                       << "secret"
                                       << "bob" << true << -1;
    }
    void sendHandOver() {
        QFETCH(QString, storedUser);
        QFETCH(QString, storedPassword);
        QFETCH(QString, typedUser);
        QFETCH(bool, sends);
        QFETCH(int, focus);
        Fixture f;
        save_setting(QStringLiteral("wispusername"), storedUser);
        save_setting(QStringLiteral("wisppassword"), scramble_password(storedPassword));
        int sent = 0;
        bool disabledDuringSend = false;
        QList<LoginFocus> logins;
        f.load({.showLogin = [&](LoginFocus at) { logins.append(at); },
                .sendMessage =
                    [&] {
                        ++sent;
                        disabledDuringSend = !f.window->composeEnabled();
                        f.window->setComposeEnabled(true);
                    }});
        session().session_username = typedUser;
        f.to()->setText(QStringLiteral("0771"));
        f.message()->setPlainText(QStringLiteral("hi"));
        f.window->fileItem(4)->trigger();
        QVERIFY(f.quiet.messages.asked.isEmpty());
        if (sends) {
            QCOMPARE(sent, 1);
            QVERIFY(disabledDuringSend);
            QVERIFY(logins.isEmpty());
            QCOMPARE(session().session_password, QStringLiteral("secret"));
            QCOMPARE(session().session_username, storedUser.isEmpty() ? typedUser : storedUser);
        } else {
            QCOMPARE(sent, 0);
            QCOMPARE(logins.size(), 1);
            QCOMPARE(int(logins.first()), focus);
            QVERIFY(!f.window->composeEnabled());
        }
    }

    void missingWindowsDisableCommands() {
        Fixture f;
        MainWindow& w = f.load();
        QVERIFY(!f.find<QPushButton>("cmdTo")->isEnabled());
        QVERIFY(!f.find<QPushButton>("cmdSend")->isEnabled());
        QVERIFY(!w.editItem(7)->isEnabled());
        QVERIFY(!w.helpItem(8)->isEnabled());
        int book = 0, prefs = 0, about = 0;
        w.setWindows({.showAddressBook = [&] { ++book; },
                      .showPreferences = [&] { ++prefs; },
                      .showAbout = [&] { ++about; },
                      .sendMessage = [] {}});
        QVERIFY(f.find<QPushButton>("cmdSend")->isEnabled());
        f.find<QPushButton>("cmdTo")->click();
        QCOMPARE(book, 1);
        QVERIFY(!w.composeEnabled());
        w.setComposeEnabled(true);
        w.editItem(7)->trigger();
        w.helpItem(8)->trigger();
        QCOMPARE(prefs, 1);
        QCOMPARE(about, 1);
    }

    void helpAndWebPages_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("fallback");
        QTest::newRow("operator") << 2 << keys::operatorHomePage << kDefaultOperatorHomePage;
        QTest::newRow("product") << 4 << keys::productHomePage << kDefaultProductHomePage;
        QTest::newRow("board") << 5 << keys::messageBoardPage << kDefaultMessageBoardPage;
        QTest::newRow("guestbook") << 6 << keys::guestbookPage << kDefaultGuestbookPage;
    }
    void helpAndWebPages() {
        QFETCH(int, index);
        QFETCH(QString, key);
        QFETCH(QString, fallback);
        Fixture f;
        f.load();
        f.window->helpItem(index)->trigger();
        save_setting(key, QStringLiteral("http://127.0.0.1/page"));
        f.window->helpItem(index)->trigger();
        QCOMPARE(f.browser.opened,
                 QStringList({fallback, QStringLiteral("http://127.0.0.1/page")}));
        f.window->helpItem(0)->trigger();
        f.find<QPushButton>("cmdHelp")->click();
        QCOMPARE(f.help.contents, 1);
        QCOMPARE(f.help.topics, QStringList{QStringLiteral("main.html")});
    }

    void editCommands() {
        Fixture f;
        MainWindow& w = f.load();
        QApplication::clipboard()->clear();
        f.message()->setPlainText(QStringLiteral("hello world"));
        w.update_edit_menu();
        QVERIFY(!w.editItem(2)->isEnabled());
        QVERIFY(!w.editItem(3)->isEnabled());
        QVERIFY(!w.editItem(5)->isEnabled());
        QVERIFY(!w.editItem(4)->isEnabled());

        // The caret sits in the To field; the menu still works on the message.
        focusAndWait(f.to());
        QTextCursor cursor = f.message()->textCursor();
        cursor.setPosition(5);
        cursor.setPosition(11, QTextCursor::KeepAnchor);
        f.message()->setTextCursor(cursor);
        f.find<QMenu>("mnuEditTop")->popup(QPoint(0, 0));
        QVERIFY(w.editItem(2)->isEnabled());
        QVERIFY(w.editItem(3)->isEnabled());
        QVERIFY(w.editItem(5)->isEnabled());
        f.find<QMenu>("mnuEditTop")->hide();
        w.editItem(3)->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral(" world"));
        w.editItem(5)->trigger();
        QCOMPARE(f.message()->toPlainText(), QStringLiteral("hello"));
        QCOMPARE(f.to()->text(), QString());
        w.update_edit_menu();
        QVERIFY(w.editItem(0)->isEnabled());
        QVERIFY(w.editItem(4)->isEnabled());
        w.editItem(0)->trigger();
        QCOMPARE(f.message()->toPlainText(), QStringLiteral("hello world"));
        QTextCursor end = f.message()->textCursor();
        end.movePosition(QTextCursor::End);
        f.message()->setTextCursor(end);
        w.editItem(4)->trigger();
        QCOMPARE(f.message()->toPlainText(), QStringLiteral("hello world world"));
        f.message()->selectAll();
        w.update_edit_menu();
        w.editItem(2)->trigger();
        QCOMPARE(f.message()->toPlainText(), QString());
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("hello world world"));
    }

    void quitQuestions_data() {
        QTest::addColumn<QString>("quitconfirm");
        QTest::addColumn<bool>("edited");
        QTest::addColumn<QString>("question");
        const QString unsent =
            QStringLiteral("This SMS has not been sent yet.\r\nAre you sure you want to quit?");
        const QString always = QStringLiteral("Are you sure you want to quit?");
        QTest::newRow("default untouched") << "" << false << "";
        QTest::newRow("default edited") << "" << true << unsent;
        QTest::newRow("confirm edited") << "confirm" << true << unsent;
        QTest::newRow("ask untouched") << "ask" << false << always;
        QTest::newRow("end edited") << "end" << true << "";
    }
    void quitQuestions() {
        QFETCH(QString, quitconfirm);
        QFETCH(bool, edited);
        QFETCH(QString, question);
        Fixture f;
        if (!quitconfirm.isEmpty())
            save_setting(QStringLiteral("quitconfirm"), quitconfirm);
        f.load();
        if (edited)
            f.message()->setPlainText(QStringLiteral("x"));
        QSignalSpy ended(f.window.get(), &MainWindow::programEndRequested);
        f.quiet.messages.answers.enqueue(Answer::No);
        f.find<QPushButton>("cmdQuit")->click();
        if (question.isEmpty()) {
            QVERIFY(f.quiet.messages.asked.isEmpty());
            QCOMPARE(ended.size(), 1);
            QVERIFY(!f.window->isVisible());
            return;
        }
        QCOMPARE(f.quiet.messages.asked.size(), 1);
        QCOMPARE(f.quiet.messages.asked.first().title, QStringLiteral("Quit confirmation"));
        QCOMPARE(f.quiet.messages.asked.first().text, question);
        QCOMPARE(f.quiet.messages.asked.first().icon, platform::Icon::Exclamation);
        QCOMPARE(f.quiet.messages.asked.first().buttons, platform::Buttons::YesNo);
        // No keeps the window with its text.
        QCOMPARE(ended.size(), 0);
        QVERIFY(f.window->isVisible());
        f.quiet.messages.answers.enqueue(Answer::Yes);
        f.window->fileItem(6)->trigger();
        QCOMPARE(ended.size(), 1);
        QVERIFY(!f.window->isVisible());
    }

    void exitLogsOffKeptSession_data() {
        QTest::addColumn<QString>("dontlogout");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<bool>("logsOff");
        QTest::newRow("kept session") << "yes" << true << true;
        QTest::newRow("no session") << "yes" << false << false;
        QTest::newRow("logs out each send") << "no" << true << false;
    }
    void exitLogsOffKeptSession() {
        QFETCH(QString, dontlogout);
        QFETCH(bool, loggedIn);
        QFETCH(bool, logsOff);
        Fixture f;
        save_setting(QStringLiteral("dontlogout"), dontlogout);
        save_setting(QStringLiteral("quitconfirm"), QStringLiteral("end"));
        int logOffs = 0;
        f.load({.exitLogOff = [&] { ++logOffs; }});
        session().logged_in = loggedIn;
        QSignalSpy ended(f.window.get(), &MainWindow::programEndRequested);
        // Not while a secondary window has the compose window disabled.
        f.window->setComposeEnabled(false);
        QVERIFY(!f.window->close());
        QCOMPARE(ended.size(), 0);
        f.window->setComposeEnabled(true);
        QVERIFY(f.window->close());
        QCOMPARE(logOffs, logsOff ? 1 : 0);
        QCOMPARE(ended.size(), 1);
    }

    void trayHideAndRestore_data() {
        QTest::addColumn<int>("click");
        QTest::addColumn<bool>("restores");
        QTest::newRow("left") << int(TrayClick::Left) << true;
        QTest::newRow("double") << int(TrayClick::Double) << true;
        QTest::newRow("right") << int(TrayClick::Right) << true;
        QTest::newRow("middle") << int(TrayClick::Middle) << false;
    }
    void trayHideAndRestore() {
        QFETCH(int, click);
        QFETCH(bool, restores);
        Fixture f;
        save_setting(QStringLiteral("systemtray"), QStringLiteral("yes"));
        f.load();
        f.window->setWindowIcon(QIcon(QPixmap(16, 16)));
        f.window->showMinimized();
        QTRY_VERIFY(!f.window->isVisible());
        QVERIFY(f.tray.shown);
        QCOMPARE(f.tray.tip, QStringLiteral("Zemble"));
        QVERIFY(f.tray.click(TrayClick(click)));
        QCOMPARE(f.window->isVisible(), restores);
        QCOMPARE(f.tray.shown, !restores);
        if (restores)
            QVERIFY(!f.window->isMinimized());
    }

    void minimiseWithoutTray_data() {
        QTest::addColumn<QString>("systemtray");
        QTest::addColumn<bool>("trayAvailable");
        QTest::addColumn<int>("iconRequests");
        QTest::newRow("switched off") << "no" << true << 0;
        QTest::newRow("no notification area") << "yes" << false << 1;
    }
    void minimiseWithoutTray() {
        QFETCH(QString, systemtray);
        QFETCH(bool, trayAvailable);
        QFETCH(int, iconRequests);
        Fixture f;
        save_setting(QStringLiteral("systemtray"), systemtray);
        f.tray.available = trayAvailable;
        f.load();
        f.window->showMinimized();
        QTRY_VERIFY(f.window->isMinimized());
        QCoreApplication::processEvents();
        QVERIFY(f.window->isVisible());
        QVERIFY(!f.tray.shown);
        QCOMPARE(f.tray.showCount, iconRequests);
    }

    void toFieldNormalisedOnLeaving() {
        Fixture f;
        add_contact(QStringLiteral("Bob"), QStringLiteral("07711111111"), false);
        f.load();
        focusAndWait(f.to());
        f.to()->setText(QStringLiteral("bob;; +447722222222 ;"));
        session().quota_free = 3;
        f.message()->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(f.message()->hasFocus());
        QCOMPARE(f.to()->text(), QStringLiteral("Bob ; 07722222222"));
        // The status line followed the rewrite.
        QCOMPARE(f.label("lblQuota")->text(), QStringLiteral("3 free & unknown paid"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
