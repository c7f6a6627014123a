#include "core/compose_host.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "platform/help.h"
#include "shell/login_dialog.h"
#include "support/doubles.h"
#include "support/temp_settings.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>

using namespace zemble;

namespace {

class DisciplineHost final : public ComposeHost {
public:
    QString toText() const override { return {}; }
    void setToText(const QString&) override {}
    QString messageText() const override { return {}; }
    bool sendConfirmationChecked() const override { return false; }
    void setSendConfirmationEnabled(bool) override {}
    int sendMethodIndex() const override { return 0; }
    QString confNumberFieldText() override { return {}; }
    void setComposeEnabled(bool on) override { enabled = on; }
    bool composeEnabled() const override { return enabled; }
    void bringComposeToFront() override { ++raised; }
    void repaintCompose() override { ++repainted; }
    void updateStatusBar() override { ++statusRefreshes; }
    bool enabled = true;
    int raised = 0;
    int repainted = 0;
    int statusRefreshes = 0;
};

class RecordingHelp final : public platform::HelpService {
public:
    void showTopic(const QString& page) override { topics.append(page); }
    void showContents() override {}
    QStringList topics;
};

// What the send job saw when the dialog started it.
struct SendRecord {
    int runs = 0;
    QString username;
    QString password;
    bool dialogVisible = true;
};

} // namespace

Q_DECLARE_METATYPE(zemble::LoginFocus)

class TestLoginDialog : public QObject {
    Q_OBJECT

    // One run: a temporary settings file, quiet message boxes, a fresh session.
    struct Fixture {
        Fixture() { session() = SessionState(); }
        ~Fixture() { session() = SessionState(); }
        test::TempSettings settings;
        test::QuietPlatform quiet;
        DisciplineHost host;
        SendRecord sent;
        LoginDialog dialog{host, [this] {
                               ++sent.runs;
                               sent.username = session().session_username;
                               sent.password = session().session_password;
                               sent.dialogVisible = dialog.isVisible();
                           }};
        QLineEdit* user() { return dialog.findChild<QLineEdit*>("txtUsername"); }
        QLineEdit* pass() { return dialog.findChild<QLineEdit*>("txtPassword"); }
        void click(const char* name) {
            QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
        }
    };

private slots:
    void form() {
        Fixture f;
        QCOMPARE(f.dialog.windowTitle(), QString("Wisp Login"));
        QStringList labels;
        for (const QLabel* label : f.dialog.findChildren<QLabel*>())
            labels.append(label->text());
        QVERIFY(labels.contains("Please enter your O2 username and password. Any details that "
                                "you enter here will be remembered for future SMS' until you "
                                "exit the program."));
        QVERIFY(labels.contains("Username:"));
        QVERIFY(labels.contains("Password:"));
        QCOMPARE(f.pass()->echoMode(), QLineEdit::Password);
        QCOMPARE(
            f.pass()->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, f.pass()),
            int('*'));
        QCOMPARE(f.dialog.findChild<QPushButton*>("cmdLogin")->text(), QString("Login"));
        QCOMPARE(f.dialog.findChild<QPushButton*>("cmdCancel")->text(), QString("Cancel"));
        QCOMPARE(f.dialog.findChild<QPushButton*>("cmdHelp")->text(), QString("Help"));
    }

    void first_showing_fills_the_boxes_data() {
        QTest::addColumn<QString>("sessionUser");
        QTest::addColumn<QString>("sessionPass");
        QTest::addColumn<QString>("storedUser");
        QTest::addColumn<QString>("storedPass");
        QTest::addColumn<QString>("shownUser");
        QTest::addColumn<QString>("shownPass");
        QTest::newRow("nothing known") << ""
                                       << ""
                                       << ""
                                       << ""
                                       << ""
                                       << "";
        QTest::newRow("from the settings") << ""
                                           << ""
                                           << "ann"
                                           << "s3cret"
                                           << "ann"
                                           << "s3cret";
        QTest::newRow("session wins") << "bob"
                                      << "pw"
                                      << "ann"
                                      << "s3cret"
                                      << "bob"
                                      << "pw";
        QTest::newRow("mixed") << "bob"
                               << ""
                               << ""
                               << "s3cret"
                               << "bob"
                               << "s3cret";
    }
    void first_showing_fills_the_boxes() {
        QFETCH(QString, sessionUser);
        QFETCH(QString, sessionPass);
        QFETCH(QString, storedUser);
        QFETCH(QString, storedPass);
        QFETCH(QString, shownUser);
        QFETCH(QString, shownPass);
        Fixture f;
        session().session_username = sessionUser;
        session().session_password = sessionPass;
        if (!storedUser.isEmpty())
            save_setting("wispusername", storedUser);
        if (!storedPass.isEmpty())
            save_setting("wisppassword", scramble_password(storedPass));

        f.dialog.showForSend(LoginFocus::DialogDefault);

        QVERIFY(f.dialog.isVisible());
        QVERIFY(!f.host.enabled);
        QCOMPARE(f.user()->text(), shownUser);
        QCOMPARE(f.pass()->text(), shownPass);
    }

    void caret_data() {
        QTest::addColumn<LoginFocus>("focus");
        QTest::addColumn<QString>("box");
        QTest::newRow("user name missing") << LoginFocus::Username << "txtUsername";
        QTest::newRow("password missing") << LoginFocus::Password << "txtPassword";
    }
    void caret() {
        QFETCH(LoginFocus, focus);
        QFETCH(QString, box);
        Fixture f;
        f.dialog.showForSend(focus);
        QVERIFY(f.dialog.focusWidget());
        QCOMPARE(f.dialog.focusWidget()->objectName(), box);
    }

    void login_needs_both_boxes_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("pass");
        QTest::addColumn<QString>("userAfter");
        QTest::addColumn<QString>("passAfter");
        QTest::newRow("user name of spaces") << "   "
                                             << "pw"
                                             << ""
                                             << "pw";
        QTest::newRow("password of spaces") << " bob "
                                            << "   "
                                            << "bob"
                                            << "";
        QTest::newRow("both empty") << ""
                                    << ""
                                    << ""
                                    << "";
    }
    void login_needs_both_boxes() {
        QFETCH(QString, user);
        QFETCH(QString, pass);
        QFETCH(QString, userAfter);
        QFETCH(QString, passAfter);
        Fixture f;
        f.dialog.showForSend(LoginFocus::DialogDefault);
        f.user()->setText(user);
        f.pass()->setText(pass);

        f.click("cmdLogin");

        QCOMPARE(f.quiet.messages.asked.size(), 1);
        const auto& box = f.quiet.messages.asked.first();
        QCOMPARE(box.title, QString("Login error"));
        QCOMPARE(box.text, QString("Please enter a valid username and password"));
        QCOMPARE(box.icon, platform::Icon::Information);
        QCOMPARE(box.buttons, platform::Buttons::Ok);
        QCOMPARE(f.user()->text(), userAfter);
        QCOMPARE(f.pass()->text(), passAfter);
        QVERIFY(f.dialog.isVisible());
        QCOMPARE(f.sent.runs, 0);
        QVERIFY(session().session_username.isEmpty());
        QVERIFY(!f.host.enabled);
    }

    void login_starts_the_send_with_the_trimmed_account() {
        Fixture f;
        f.dialog.showForSend(LoginFocus::DialogDefault);
        f.user()->setText("  bob\t ");
        f.pass()->setText(" pass word  ");

        f.click("cmdLogin");

        QVERIFY(f.quiet.messages.asked.isEmpty());
        QCOMPARE(f.sent.runs, 1);
        QCOMPARE(f.sent.username, QString("bob\t"));
        QCOMPARE(f.sent.password, QString("pass word"));
        QVERIFY(!f.sent.dialogVisible);
        // Kept for the rest of the run, never stored.
        QCOMPARE(session().session_username, QString("bob\t"));
        QCOMPARE(get_setting("wispusername", "(none)"), QString("(none)"));
        QCOMPARE(get_setting("wisppassword", "(none)"), QString("(none)"));
        // The send job gives the compose window back, not the dialog.
        QVERIFY(!f.host.enabled);
        QCOMPARE(f.host.statusRefreshes, 0);
    }

    void second_showing_is_not_refilled() {
        Fixture f;
        save_setting("wispusername", "stored");
        f.dialog.showForSend(LoginFocus::DialogDefault);
        f.user()->setText(" typed ");
        f.pass()->setText(" secret ");
        f.click("cmdLogin");
        QCOMPARE(f.sent.runs, 1);

        // Meanwhile the preferences remember another account and the
        // transport drops the password.
        save_setting("wispusername", "other");
        save_setting("wisppassword", scramble_password("otherpw"));
        session().session_password.clear();
        f.dialog.showForSend(LoginFocus::Password);

        QCOMPARE(f.user()->text(), QString("typed"));
        QCOMPARE(f.pass()->text(), QString("secret"));
    }

    void cancel_and_frame_close_give_the_compose_window_back_data() {
        QTest::addColumn<bool>("fromFrame");
        QTest::newRow("Cancel") << false;
        QTest::newRow("close from the frame") << true;
    }
    void cancel_and_frame_close_give_the_compose_window_back() {
        QFETCH(bool, fromFrame);
        Fixture f;
        session().session_username = "kept";
        f.dialog.showForSend(LoginFocus::DialogDefault);
        f.user()->setText("changed");
        f.pass()->setText("pw");

        if (fromFrame)
            f.dialog.close();
        else
            f.click("cmdCancel");

        QVERIFY(!f.dialog.isVisible());
        QVERIFY(f.host.enabled);
        QCOMPARE(f.host.raised, 1);
        QCOMPARE(f.host.repainted, 1);
        QCOMPARE(f.host.statusRefreshes, 1);
        QCOMPARE(f.sent.runs, 0);
        QCOMPARE(session().session_username, QString("kept"));
        QVERIFY(session().session_password.isEmpty());
        // The dialog lives on with what was typed.
        f.dialog.showForSend(LoginFocus::DialogDefault);
        QCOMPARE(f.user()->text(), QString("changed"));
    }

    void help_button_opens_the_topic() {
        RecordingHelp help;
        platform::ScopedService<platform::HelpService> guard(&help);
        Fixture f;
        f.dialog.showForSend(LoginFocus::DialogDefault);
        f.click("cmdHelp");
        QCOMPARE(help.topics, QStringList{"login.html"});
        QVERIFY(f.dialog.isVisible());
        QCOMPARE(f.sent.runs, 0);
    }
};

QTEST_MAIN(TestLoginDialog)
#include "tst_login_dialog.moc"
