#include "core/session_state.h"
#include "core/settings.h"
#include "platform/help.h"
#include "shell/login_dialog.h"
#include "support/doubles.h"
#include "support/fake_compose_host.h"
#include "support/temp_settings.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>

using namespace zemble;

Q_DECLARE_METATYPE(zemble::LoginFocus)

namespace {

// A login dialog on a fresh session and settings file; the send it starts
// records the account it was given.
struct Fixture {
    Fixture() { session() = SessionState(); }
    ~Fixture() { session() = SessionState(); }
    test::TempSettings settings;
    test::QuietPlatform quiet;
    test::FakeComposeHost host;
    QStringList sends;
    LoginDialog dialog{host, [this] {
                           sends.append(session().session_username + "/" +
                                        session().session_password +
                                        (dialog.isVisible() ? " shown" : ""));
                       }};
    QLineEdit* user() { return dialog.findChild<QLineEdit*>("txtUsername"); }
    QLineEdit* pass() { return dialog.findChild<QLineEdit*>("txtPassword"); }
    void click(const char* name) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
    }
    void type(const QString& u, const QString& p) {
        user()->setText(u);
        pass()->setText(p);
    }
};

} // namespace

class TestLoginDialog : public QObject {
    Q_OBJECT
private slots:
    void first_showing_fills_the_boxes_data() {
        QTest::addColumn<QStringList>("sessionAccount");
        QTest::addColumn<QStringList>("storedAccount");
        QTest::addColumn<LoginFocus>("focus");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("from the settings")
            << QStringList{"", ""} << QStringList{"ann", "pw"} << LoginFocus::Username
            << QStringList{"ann", "pw", "txtUsername"};
        QTest::newRow("session first")
            << QStringList{"bob", ""} << QStringList{"ann", "pw"} << LoginFocus::Password
            << QStringList{"bob", "pw", "txtPassword"};
    }
    void first_showing_fills_the_boxes() {
        QFETCH(QStringList, sessionAccount);
        QFETCH(QStringList, storedAccount);
        QFETCH(LoginFocus, focus);
        QFETCH(QStringList, shown);
        Fixture f;
        session().session_username = sessionAccount[0];
        session().session_password = sessionAccount[1];
        save_setting("wispusername", storedAccount[0]);
        save_setting("wisppassword", scramble_password(storedAccount[1]));

        f.dialog.showForSend(focus);

        QCOMPARE(
            QStringList({f.user()->text(), f.pass()->text(), f.dialog.focusWidget()->objectName()}),
            shown);
        QVERIFY(f.dialog.isVisible() && !f.host.enabled);
        QCOMPARE(f.pass()->echoMode(), QLineEdit::Password);
        QCOMPARE(
            f.pass()->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, f.pass()),
            int('*'));
    }

    void login_needs_both_boxes_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("pass");
        QTest::newRow("user name of spaces") << "   "
                                             << "pw";
        QTest::newRow("password of spaces") << " bob "
                                            << "   ";
    }
    void login_needs_both_boxes() {
        QFETCH(QString, user);
        QFETCH(QString, pass);
        Fixture f;
        f.dialog.showForSend(LoginFocus::DialogDefault);
        f.type(user, pass);
        f.click("cmdLogin");

        QCOMPARE(f.quiet.messages.asked.size(), 1);
        const auto& box = f.quiet.messages.asked.first();
        QCOMPARE(box.title + "|" + box.text, QString("Login error|Please enter a valid username "
                                                     "and password"));
        QCOMPARE(box.icon, platform::Icon::Information);
        QCOMPARE(f.user()->text(), user.trimmed());
        QCOMPARE(f.pass()->text(), pass.trimmed());
        QVERIFY(f.dialog.isVisible() && f.sends.isEmpty() && !f.host.enabled);
        QVERIFY(session().session_username.isEmpty());
    }

    // Login sends with the trimmed account; a later opening shows the boxes as
    // they were left, even when the settings have changed since.
    void login_then_open_again() {
        Fixture f;
        f.dialog.showForSend(LoginFocus::DialogDefault);
        f.type("  bob\t ", " pass word  ");
        f.click("cmdLogin");
        QVERIFY(f.quiet.messages.asked.isEmpty());
        QCOMPARE(f.sends, QStringList{"bob\t/pass word"});
        QCOMPARE(f.host.calls, QStringList{"disable"}); // the send job gives it back
        QCOMPARE(get_setting("wispusername", "(none)"), QString("(none)"));

        save_setting("wispusername", "other");
        session() = SessionState();
        f.dialog.showForSend(LoginFocus::Password);
        QCOMPARE(f.user()->text() + "/" + f.pass()->text(), QString("bob\t/pass word"));
    }

    void help_cancel_and_frame_close_data() {
        QTest::addColumn<bool>("fromFrame");
        QTest::newRow("Cancel") << false;
        QTest::newRow("frame close") << true;
    }
    void help_cancel_and_frame_close() {
        QFETCH(bool, fromFrame);
        Fixture f;
        const auto& help = f.quiet.help;
        session().session_username = "kept";
        f.dialog.showForSend(LoginFocus::DialogDefault);
        f.type("changed", "pw");
        f.click("cmdHelp"); // help changes nothing
        QCOMPARE(help.topics, QStringList{"login.html"});
        if (fromFrame)
            f.dialog.close();
        else
            f.click("cmdCancel");

        QVERIFY(!f.dialog.isVisible() && f.sends.isEmpty());
        QCOMPARE(f.host.calls,
                 QStringList({"disable", "enable", "repaint", "raise", "update_status_bar"}));
        QCOMPARE(session().session_username + "/" + session().session_password, QString("kept/"));
        f.dialog.showForSend(LoginFocus::DialogDefault);
        QCOMPARE(f.user()->text(), QString("changed"));
    }
};

QTEST_MAIN(TestLoginDialog)
#include "tst_login_dialog.moc"
