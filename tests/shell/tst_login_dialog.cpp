#include "core/session_state.h"
#include "core/settings.h"
#include "shell/login_dialog.h"
#include "support/doubles.h"
#include "support/fake_compose_host.h"
#include "support/temp_settings.h"

#include <QLineEdit>
#include <QTest>

using namespace zemble;

namespace {

// A login dialog on a fresh session and settings file; its send records the account.
struct Fixture {
    Fixture() { session() = SessionState(); }
    ~Fixture() { session() = SessionState(); }
    test::TempSettings settings;
    test::QuietPlatform quiet;
    test::FakeComposeHost host;
    QStringList sends;
    LoginDialog dialog{host, [this] { sends << account() + (dialog.isVisible() ? " shown" : ""); }};
    static QString account() {
        return session().session_username + "/" + session().session_password;
    }
    template <class T = QLineEdit> T* box(const char* name) { return dialog.findChild<T*>(name); }
    QString boxes() { return box("txtUsername")->text() + "/" + box("txtPassword")->text(); }
    void click(const char* name) { QTest::mouseClick(box<QWidget>(name), Qt::LeftButton); }
    void type(const QString& user, const QString& pass) {
        box("txtUsername")->setText(user);
        box("txtPassword")->setText(pass);
    }
};

} // namespace

class TestLoginDialog : public QObject {
    Q_OBJECT
private slots:
    // Boxes of spaces are refused and emptied; Login (Enter) sends with the trimmed
    // account; a later opening shows the boxes as they were left, even when the
    // settings have changed since.
    void login_checks_trims_and_keeps_the_boxes() {
        Fixture f;
        f.dialog.showForSend(LoginFocus::DialogDefault);
        f.type("   ", "pw");
        f.click("cmdLogin");
        QCOMPARE(f.quiet.messages.titles(), QStringList{"Login error"});
        QCOMPARE(f.quiet.messages.asked.first().text, "Please enter a valid username and password");
        QCOMPARE(f.quiet.messages.asked.first().icon, platform::Icon::Information);
        QCOMPARE(f.boxes(), "/pw");
        f.type(" bob ", "   ");
        f.click("cmdLogin");
        QCOMPARE(f.quiet.messages.asked.size(), 2);
        QCOMPARE(f.boxes(), "bob/");
        QVERIFY(f.dialog.isVisible() && f.sends.isEmpty() && !f.host.enabled);
        f.type("  bob\t ", " pass word  ");
        QTest::keyClick(f.box("txtPassword"), Qt::Key_Return); // Enter is Login
        QCOMPARE(f.quiet.messages.asked.size(), 2);
        QCOMPARE(f.sends, QStringList{"bob\t/pass word"});
        QCOMPARE(f.host.calls, QStringList{"disable"}); // the send job gives it back
        save_setting("wispusername", "other");
        session() = SessionState();
        f.dialog.showForSend(LoginFocus::Password);
        QCOMPARE(f.boxes(), "bob\t/pass word");
    }

    // The first showing takes the session's account before the stored one and
    // puts the focus where asked; Help, then Cancel, the frame's close or Escape.
    void first_showing_help_and_cancel() {
        for (const QString how : {"cmdCancel", "frame", "Esc"}) {
            Fixture f;
            session().session_username = "kept";
            save_setting("wispusername", "ann");
            save_setting("wisppassword", scramble_password("pw"));
            f.dialog.showForSend(LoginFocus::Password);
            QCOMPARE(f.boxes() + " " + f.dialog.focusWidget()->objectName(), "kept/pw txtPassword");
            QCOMPARE(f.box("txtPassword")->echoMode(), QLineEdit::Password);
            f.type("changed", "pw2");
            f.click("cmdHelp"); // help changes nothing
            QCOMPARE(f.quiet.help.topics, QStringList{"login.html"});
            if (how == "frame")
                f.dialog.close();
            else
                how == "Esc" ? QTest::keyClick(&f.dialog, Qt::Key_Escape) : f.click("cmdCancel");
            QVERIFY(!f.dialog.isVisible() && f.sends.isEmpty());
            QCOMPARE(f.host.calls,
                     QStringList({"disable", "enable", "repaint", "raise", "update_status_bar"}));
            QCOMPARE(f.account(), "kept/");
            f.dialog.showForSend(LoginFocus::DialogDefault);
            QCOMPARE(f.boxes(), "changed/pw2");
        }
    }
};

QTEST_MAIN(TestLoginDialog)
#include "tst_login_dialog.moc"
