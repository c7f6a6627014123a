#include "addressbook/contact_store.h"
#include "compose/main_window.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "platform/help_viewer.h"
#include "session/error_window.h"
#include "shell/login_dialog.h"
#include "shell/startup.h"
#include "support/doubles.h"
#include "support/error_window_driver.h"
#include "support/fake_compose_host.h"
#include "support/kannel.h"
#include "support/keys.h"
#include "support/opsim.h"
#include "support/other_user.h"
#include "support/page_display_double.h"
#include "support/temp_settings.h"

#include <QtTest>
#include <QtWidgets>

using namespace zemble;
using namespace Qt::StringLiterals;

namespace {

QWidget* shownWindow(const QString& name, bool hiddenToo = false) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && (hiddenToo || w->isVisible()))
            return w;
    return nullptr;
}

template <class T = QLabel> T* child(QWidget* window, const char* name) {
    return window->findChild<T*>(QLatin1String(name));
}

struct Fixture {
    test::TempSettings settings;
    test::QuietPlatform quiet;
    test::RecordingPageDisplay display;
    platform::ScopedService<platform::PageDisplayService> displayGuard{&display};
    QTemporaryDir contactsDir;
    std::unique_ptr<Program> program;
    Fixture() { // a fresh session and store, the address book holding Bob
        session() = SessionState{};
        contacts() = ContactStore{};
        QFile book(contactsDir.filePath(u"zemble_contacts.txt"_s));
        if (!book.open(QIODevice::WriteOnly) || book.write("Bob;07700900456\r\n") != 17)
            qFatal("cannot write the address book");
    }
    MainWindow* start() {
        program = std::make_unique<Program>(contactsDir.path());
        program->Main();
        return program->composeWindow();
    }
};

// Settings stored before the start, by key.
using Stored = QMap<QString, QString>;

// What the screen shows at one pause of the start-up.
struct Pause {
    int milliseconds;
    QString version, release; // the splash's lines
    bool splashCentredOnScreen;
    std::optional<QString> composeOnScreen; // its title
    int contacts;                           // loaded by then
    bool operator==(const Pause&) const = default;
};
char* toString(const Pause& p) {
    return qstrdup(qPrintable(
        u"%1 ms, \"%2\" \"%3\", splash centred %4, compose %5, %6 contacts"_s.arg(p.milliseconds)
            .arg(p.version, p.release)
            .arg(p.splashCentredOnScreen)
            .arg(p.composeOnScreen.value_or(u"not shown"_s))
            .arg(p.contacts)));
}

// A control clicked (or a menu item triggered) in a window, both by object name.
struct Use {
    const char* window;
    const char* control;
};

// Which part of the portal account is stored before the start.
enum class Remembered { Nothing, UserName, Both };

// A text of 130 characters: two texts on the free method.
const QString kText = (u"Meet at the station at six. "_s.repeated(5)).left(130);

// One text the site took.
struct SentText {
    QString account, number, type, text;
    bool operator==(const SentText&) const = default;
};
char* toString(const SentText& t) {
    return qstrdup(qPrintable(t.account + u' ' + t.number + u' ' + t.type + u' ' + t.text));
}

// The real windows against the simulator, the fields typed a key event a character.
struct WindowsSend : Fixture {
    test::OpSim sim;
    MainWindow* compose = nullptr;
    QLineEdit* toField = nullptr;
    QPlainTextEdit* message = nullptr;
    QPushButton* send = nullptr;

    bool begin(Remembered remembered) {
        if (!sim.start())
            return false;
        sim.applyToSettings();
        if (remembered != Remembered::Nothing)
            save_setting(u"wispusername"_s, u"alice"_s);
        if (remembered == Remembered::Both)
            save_setting(u"wisppassword"_s, scramble_password(u"secret"_s));
        return open();
    }
    // The program started without the splash, its compose window active.
    bool open() {
        save_setting(u"hidesplashscreen"_s, u"yes"_s);
        compose = start();
        compose->activateWindow();
        toField = child<QLineEdit>(compose, "txtTo");
        message = child<QPlainTextEdit>(compose, "txtMessage");
        send = child<QPushButton>(compose, "cmdSend");
        return QTest::qWaitForWindowActive(compose);
    }
    // Clicks a control as a person would, so the focus moves to it first.
    static void clickInto(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, 4));
    }
    void type(QWidget* field, const QString& text) {
        clickInto(field == message ? message->viewport() : field);
        QTRY_VERIFY(field->hasFocus());
        for (const char32_t character : text.toUcs4())
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown,
                                QString::fromUcs4(&character, 1), {});
    }
    QWidget* login() const { return shownWindow(u"frmLogin"_s); }
    // The login dialog is open over the disabled compose window, the caret and boxes as given.
    void checkLogin(const QString& caret, const QString& user, const QString& password) {
        QVERIFY(login());
        QVERIFY(!compose->isEnabled());
        QCOMPARE(login()->focusWidget()->objectName(), caret);
        QCOMPARE(child<QLineEdit>(login(), "txtUsername")->text(), user);
        QCOMPARE(child<QLineEdit>(login(), "txtPassword")->text(), password);
    }
    // Once the send under way ends, Send again: it goes without asking, and each recipient
    // gets the two parts, which make up the whole text, twice.
    void checkSentTwice(const QString& toAfter, const QString& stats) {
        QTRY_VERIFY(compose->isEnabled());
        clickInto(send);
        QVERIFY(!login());
        QTRY_VERIFY(compose->isEnabled());
        QCOMPARE(quiet.messages.titles(), QStringList());
        QCOMPARE(toField->text(), toAfter);
        QCOMPARE(child(compose, "lblStats")->text(), stats);
        QList<SentText> sent, expected;
        for (const QJsonObject& m : sim.outbox())
            sent.append({m["account"].toString(), m["number"].toString(), m["type"].toString(),
                         m["text"].toString()});
        QCOMPARE(sent.size(), 8);
        const QString first = sent[0].text, second = sent[1].text;
        QCOMPARE(first + second, message->toPlainText());
        for (const char* number : {"07700900123", "07700900456", "07700900123", "07700900456"})
            for (const QString& part : {first, second})
                expected.append({u"alice"_s, QLatin1String(number), u"free"_s, part});
        QCOMPARE(sent, expected);
        QVERIFY(child(compose, "lblInformation")
                    ->text()
                    .startsWith(u"       You sent this text message on "_s));
        QCOMPARE(child(compose, "lblQuota")->text(), u"2 free & 5 paid"_s);
        QCOMPARE(sim.quota(u"alice"_s).value("free").toInt(), 2);
        QVERIFY(quiet.pauses.blocked.contains(2000));
        QVERIFY(!session().logged_in);
        // Nothing changed since: closing asks nothing under the default setting.
        compose->close();
        QVERIFY(quiet.messages.asked.isEmpty());
    }
};

} // namespace

Q_DECLARE_METATYPE(Use)

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    // The splash shows for one pause before the compose window and one after, centred, unless
    // the exact "yes" hides it; the quota figures stored are read at start-up.
    void splash_data() {
        QTest::addColumn<Stored>("stored");
        QTest::addColumn<bool>("splashShown");
        QTest::addColumn<int>("quotaFree");
        QTest::addColumn<int>("quotaPaid");
        QTest::newRow("nothing stored") << Stored{} << true << -1 << -1;
        QTest::newRow("YES is not yes")
            << Stored{{"hidesplashscreen", "YES"}, {"quotaleft", "5"}, {"paidquotaleft", "7"}}
            << true << 5 << 7;
        QTest::newRow("yes hides it")
            << Stored{{"hidesplashscreen", "yes"}, {"quotaleft", "0"}, {"paidquotaleft", "12"}}
            << false << 0 << 12;
    }
    void splash() {
        QFETCH(Stored, stored);
        QFETCH(bool, splashShown);
        QFETCH(int, quotaFree);
        QFETCH(int, quotaPaid);
        Fixture f;
        for (const auto& [key, value] : stored.asKeyValueRange())
            save_setting(key, value);
        struct PaintLog : QObject {
            bool eventFilter(QObject* watched, QEvent* event) override {
                if (event->type() == QEvent::Paint && watched->isWidgetType())
                    painted.insert(static_cast<QWidget*>(watched)->window()->objectName());
                return false;
            }
            QSet<QString> painted;
        } log;
        qApp->installEventFilter(&log);
        QList<Pause> seen;
        f.quiet.pauses.onPause = [&](int, int milliseconds) {
            QWidget* splashWindow = shownWindow(u"frmSplash"_s);
            QWidget* compose = shownWindow(u"frmMain"_s);
            const auto onScreen = [&](QWidget* w) {
                return w->windowHandle()->isExposed() && log.painted.contains(w->objectName());
            };
            const QPoint middle = QGuiApplication::primaryScreen()->availableGeometry().center();
            seen.append({milliseconds, child(splashWindow, "lblVersion")->text(),
                         child(splashWindow, "lblRelease")->text(),
                         (splashWindow->geometry().center() - middle).manhattanLength() < 2 &&
                             onScreen(splashWindow),
                         compose && onScreen(compose) ? std::optional(compose->windowTitle())
                                                      : std::nullopt,
                         contacts().count});
        };
        const QString title = u"Zemble v0.4.16 (beta)"_s;
        QCOMPARE(f.start()->windowTitle(), title);
        QVERIFY(f.program->composeWindow()->isVisible() && !shownWindow(u"frmSplash"_s));
        const Pause before{
            1500, u"version 0.4.16 (beta)"_s, u"Released 22nd May 2003"_s, true, std::nullopt, 0};
        Pause after = before;
        after.composeOnScreen = title, after.contacts = 1;
        QCOMPARE(seen, splashShown ? QList<Pause>({before, after}) : QList<Pause>());
        QVERIFY(f.quiet.pauses.afterEvents.isEmpty());
        QCOMPARE(contacts().count, 1);
        QCOMPARE(session().quota_free, quotaFree);
        QCOMPARE(session().quota_paid, quotaPaid);
    }

    // A settings file that cannot be written is told in one box for the run, naming the file and
    // the system's reason, though the preferences' OK saves every key and the send method one.
    void readOnlySettingsToldOnce() {
        Fixture f;
        save_setting(u"hidesplashscreen"_s, u"yes"_s);
        MainWindow* compose = f.start();
        const QString file = f.settings.path();
        test::giveToNobody({f.settings.dir.path(), file});
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner));
        {
            const test::FileAccessAsNobody nobody;
            QVERIFY(
                QMetaObject::invokeMethod(compose->findChild<QAction*>(u"mnuEdit_7"_s), "trigger"));
            QVERIFY(QMetaObject::invokeMethod(
                child<QPushButton>(shownWindow(u"frmPrefs"_s), "cmdOkay"), "click"));
            child<QComboBox>(compose, "cmbSendMethod")->setCurrentIndex(1);
        }
        QCOMPARE(f.quiet.messages.asked.size(), 1);
        const platform::MessageBoxRequest box = f.quiet.messages.asked.first();
        QCOMPARE(box.title, u"Settings not saved"_s);
        QCOMPARE(box.text, crlfLines({u"Zemble could not save its settings to the file"_s, file,
                                      u"Permission denied"_s,
                                      u"Changed preferences, the remembered account and the "
                                      "quota figures are not kept while the file cannot be "
                                      "written."_s}));
        QCOMPARE(box.icon, platform::Icon::Exclamation);
    }

    // Each control taking the caret has its own spoken name; a window stays above its opener.
    // The window is opened by clicking the controls of `opening` in turn.
    void everyWindowNamedAndAbove_data() {
        QTest::addColumn<QList<Use>>("opening");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("above"); // the window it belongs to; "" for none
        const Use to{"frmMain", "cmdTo"}, update{"frmContacts", "cmdUpdate"};
        QTest::newRow("compose") << QList<Use>{} << u"frmMain"_s << QString();
        QTest::newRow("address book") << QList<Use>{to} << u"frmContacts"_s << u"frmMain"_s;
        QTest::newRow("contact details")
            << QList<Use>{to, {"frmContacts", "cmdNew"}} << u"frmContactInfo"_s << u"frmContacts"_s;
        QTest::newRow("import") << QList<Use>{to, update} << u"frmImport"_s << u"frmContacts"_s;
        QTest::newRow("import's access question")
            << QList<Use>{to, update} << u"frmAccess"_s << u"frmImport"_s;
        QTest::newRow("name chooser") << QList<Use>{} << u"frmMultiple"_s << u"frmMain"_s;
        QTest::newRow("preferences")
            << QList<Use>{{"frmMain", "mnuEdit_7"}} << u"frmPrefs"_s << u"frmMain"_s;
        QTest::newRow("login") << QList<Use>{{"frmMain", "cmdSend"}} << u"frmLogin"_s
                               << u"frmMain"_s;
        QTest::newRow("about") << QList<Use>{{"frmMain", "mnuHelp_8"}} << u"frmAbout"_s
                               << u"frmMain"_s;
        QTest::newRow("send progress") << QList<Use>{} << u"frmSend"_s << u"frmMain"_s;
        QTest::newRow("page display") << QList<Use>{} << u"frmBrowser"_s << QString();
        QTest::newRow("help viewer") << QList<Use>{} << u"helpViewer"_s << QString();
    }
    void everyWindowNamedAndAbove() {
        QFETCH(QList<Use>, opening);
        QFETCH(QString, window);
        QFETCH(QString, above);
        Fixture f;
        save_setting(u"hidesplashscreen"_s, u"yes"_s);
        MainWindow* compose = f.start();
        // The send-progress window and the name chooser are made when first needed.
        QVERIFY(!shownWindow(u"frmSend"_s, true) && !shownWindow(u"frmMultiple"_s, true));
        f.program->sendWindow();
        f.program->nameChooser();
        compose->setToText(u"0771"_s);
        child<QPlainTextEdit>(compose, "txtMessage")->setPlainText(u"hi"_s);
        ErrorWindow errors;
        platform::HelpViewer help;
        for (const Use& use : opening) {
            QObject* control = shownWindow(QLatin1String(use.window))
                                   ->findChild<QObject*>(QLatin1String(use.control));
            QVERIFY(
                QMetaObject::invokeMethod(control, control->isWidgetType() ? "click" : "trigger"));
        }
        QWidget* w = shownWindow(window, true);
        QStringList said;
        for (QWidget* control : w->findChildren<QWidget*>()) {
            if (control->window() != w || control->focusPolicy() == Qt::NoFocus)
                continue;
            QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(control);
            QString name = spoken->text(QAccessible::Name);
            // A drop-down list is named by its label or the form, not by its current item.
            const auto labels = spoken->relations(QAccessible::Label);
            if (qobject_cast<QComboBox*>(control))
                name = !labels.isEmpty() ? labels.first().first->text(QAccessible::Name)
                                         : control->accessibleName();
            QVERIFY2(!name.isEmpty() && !said.contains(name), qPrintable(control->objectName()));
            said << name;
        }
        // Qt names a widget's window after the widget, with "Window" added.
        const QWindow* parent = w->windowHandle() ? w->windowHandle()->transientParent() : nullptr;
        QCOMPARE(parent ? parent->objectName() : u"Window"_s, above + u"Window"_s);
        if (w->isVisible() && !compose->isEnabled()) { // brought forward with Alt+Tab
            compose->activateWindow();
            QTRY_VERIFY(w->isActiveWindow());
        }
    }

    // With the user name remembered, the login dialog asks the password.  A close from the
    // frame cancels; a password of spaces is refused; then the whole send runs, and the next
    // Send of the run uses the same account without asking.
    void loginAsksWhatIsNotRemembered() {
        WindowsSend f;
        QVERIFY(f.begin(Remembered::UserName));
        f.type(f.toField, u"+447700900123; bo"_s);
        f.type(f.message, kText);
        f.clickInto(f.send);
        f.login()->close();
        QVERIFY(!f.login() && f.compose->isEnabled());
        f.clickInto(f.send);
        f.checkLogin(u"txtPassword"_s, u"alice"_s, QString());
        QTest::keyClicks(child<QLineEdit>(f.login(), "txtPassword"), u"   "_s);
        f.clickInto(child<QPushButton>(f.login(), "cmdHelp"));
        f.clickInto(child<QPushButton>(f.login(), "cmdLogin"));
        QCOMPARE(f.quiet.help.topics, QStringList{u"login.html"_s});
        const platform::MessageBoxRequest box = f.quiet.messages.asked.takeFirst();
        QCOMPARE(box.title, u"Login error"_s);
        QCOMPARE(box.text, u"Please enter a valid username and password"_s);
        QCOMPARE(box.icon, platform::Icon::Information);
        f.checkLogin(u"cmdLogin"_s, u"alice"_s, QString());
        QTest::keyClicks(child<QLineEdit>(f.login(), "txtPassword"), u"secret"_s);
        f.clickInto(child<QPushButton>(f.login(), "cmdLogin")); // runs the whole send job
        f.checkSentTwice(u"07700900123 ; Bob"_s, u"130 characters used (split over 2 messages)"_s);
    }

    // Escape cancels the login dialog; a password remembered since fills its box, and the boxes
    // keep the user name as it was typed.
    void loginAfterACancelledOneShowsThePasswordRememberedSince() {
        WindowsSend f;
        QVERIFY(f.begin(Remembered::Nothing));
        f.type(f.toField, u"+447700900123; bo"_s);
        f.type(f.message, kText);
        f.clickInto(f.send);
        QTRY_VERIFY(f.login()->focusWidget());
        QCOMPARE(f.login()->focusWidget()->objectName(), u"txtUsername"_s);
        QCOMPARE(child<QLineEdit>(f.login(), "txtPassword")->echoMode(), QLineEdit::Password);
        QTest::keyClicks(f.login()->focusWidget(), u" alice "_s);
        test::press(u"Tab"_s);
        QTest::keyClicks(f.login()->focusWidget(), u"secret"_s);
        test::press(u"Esc"_s);
        QVERIFY(!f.login() && f.compose->isEnabled());
        save_setting(u"wisppassword"_s, scramble_password(u"secret"_s));
        f.clickInto(f.send);
        f.checkLogin(u"txtUsername"_s, u" alice "_s, u"secret"_s);
        test::press(u"Return"_s); // runs the whole send job
        f.checkSentTwice(u"07700900123 ; Bob"_s, u"130 characters used (split over 2 messages)"_s);
    }

    // With the whole account remembered, Ctrl+S with the caret still in the message sends
    // without asking; a character beyond the basic plane counts once.
    void ctrlSInTheMessageSendsWithARememberedAccount() {
        WindowsSend f;
        QVERIFY(f.begin(Remembered::Both));
        f.type(f.toField, u"07700900123 ; 07700900456"_s);
        f.type(f.message, QString(114, u'x') + u"\U0001F600"_s + QString(20, u'y'));
        QTest::keyClick(f.message, Qt::Key_S, Qt::ControlModifier);
        f.checkSentTwice(u"07700900123 ; Bob"_s, u"134 characters used (split over 2 messages)"_s);
    }

    // Ctrl+S with the caret still in To resolves the field first: an unknown entry stops the
    // send with the recipient alert, and the field stays as typed.
    void ctrlSInToChecksTheRecipientsFirst() {
        WindowsSend f;
        QVERIFY(f.begin(Remembered::Both));
        f.type(f.message, u"hi"_s);
        f.type(f.toField, u"Nobody ; 07700900123"_s);
        QTest::keyClick(f.toField, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.quiet.messages.titles(), QStringList{u"Recipient alert"_s});
        QCOMPARE(f.toField->text(), u"Nobody ; 07700900123"_s);
        QVERIFY(f.sim.requests().isEmpty());
        QVERIFY(f.compose->isEnabled());
    }

    // Asked for the gateway's account, the login dialog says so in its title, starts from the
    // remembered gateway account (the keyring's item under the gateway's label), trims what it
    // is given and hands it to the send; the operator's account of the session is left alone.
    // An account still incomplete is refused as for the portal, and nothing is sent.
    void gatewayLogin_data() {
        QTest::addColumn<QString>("rememberedPassword"); // in the keyring, for "gw"
        QTest::addColumn<QString>("typedPassword");      // replaces the box's text; "" types none
        QTest::addColumn<QString>("handedPassword");     // "" when nothing is sent
        QTest::addColumn<bool>("refused");
        const auto row = [](const char* name, const char* remembered, const char* typed,
                            const char* handed, bool refused) {
            QTest::newRow(name) << QString(remembered) << QString(typed) << QString(handed)
                                << refused;
        };
        row("remembered account taken as it is", "k3y", "", "k3y", false);
        row("typed password trimmed", "", "  new pw  ", "new pw", false);
        row("only spaces for a password", "", "   ", "", true);
    }
    void gatewayLogin() {
        QFETCH(QString, rememberedPassword);
        QFETCH(QString, typedPassword);
        QFETCH(QString, handedPassword);
        QFETCH(bool, refused);
        test::TempSettings settings;
        test::QuietPlatform quiet;
        session() = SessionState{};
        session().session_username = u"o2user"_s;
        quiet.keyring.reachable = true;
        save_setting(keys::gatewayUsername, u"gw"_s);
        if (!rememberedPassword.isEmpty())
            quiet.keyring.items.insert({u"Zemble: Kannel gateway password for gw"_s, u"gw"_s},
                                       rememberedPassword);
        test::FakeComposeHost host;
        QStringList handed;
        LoginDialog dialog(host, [&](const QString& username, const QString& password) {
            handed << username << password;
        });
        dialog.showForSend(LoginFocus::Password);
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), u"SMS Gateway Login"_s);
        auto* username = child<QLineEdit>(&dialog, "txtUsername");
        auto* password = child<QLineEdit>(&dialog, "txtPassword");
        QCOMPARE(username->text(), u"gw"_s);
        QCOMPARE(password->text(), rememberedPassword);
        if (!typedPassword.isEmpty()) {
            password->clear();
            QTest::keyClicks(password, typedPassword);
        }
        WindowsSend::clickInto(child<QPushButton>(&dialog, "cmdLogin"));
        const QStringList expected = refused ? QStringList() : QStringList{u"gw"_s, handedPassword};
        QCOMPARE(handed, expected);
        QCOMPARE(quiet.messages.titles(), refused ? QStringList{u"Login error"_s} : QStringList());
        QCOMPARE(dialog.isVisible(), refused);
        QCOMPARE(session().session_username, u"o2user"_s);
        QVERIFY(session().session_password.isEmpty());
    }

    // The real windows sending through a real Kannel on loopback, the route chosen in the
    // settings: Send asks for the gateway's password in its own login, each recipient gets
    // the whole text once, and a refusal reaches the error window in the gateway's words.
    void sendThroughAGatewayFromTheWindows_data() {
        QTest::addColumn<QString>("password"); // typed in the gateway's login
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("deliveredTo"); // each once, in this order
        QTest::addColumn<QString>("errorShown");      // the error window's first line; "" none
        QTest::newRow("a pound sign to three recipients")
            << u"kannel-s3cret"_s << u"07700900123 ; Bob ; 07700900124"_s
            << u"Tickets are \u00a325 each"_s
            << QStringList{u"07700900123"_s, u"07700900456"_s, u"07700900124"_s} << QString();
        QTest::newRow("a wrong password")
            << u"not-the-password"_s << u"Bob"_s << u"Tickets are \u00a325 each"_s << QStringList()
            << u"The SMS gateway did not accept this text message. It answered: 403 "
               "Authorization failed for sendsms"_s;
    }
    void sendThroughAGatewayFromTheWindows() {
        QFETCH(QString, password);
        QFETCH(QString, to);
        QFETCH(QString, text);
        QFETCH(QStringList, deliveredTo);
        QFETCH(QString, errorShown);
        if (const QString missing = test::Kannel::notInstalled(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        WindowsSend f;
        test::Kannel kannel;
        QVERIFY2(kannel.start(), qPrintable(kannel.errorText()));
        save_setting(u"sendroute"_s, u"kannel"_s);
        save_setting(u"gatewayurl"_s, kannel.url());
        save_setting(u"gatewayusername"_s, kannel.username);
        QVERIFY(f.open());
        f.type(f.toField, to);
        f.type(f.message, text);
        QStringList errorLines;
        test::ErrorWindowDriver driver;
        driver.onShown = [&] {
            errorLines << child(test::ErrorWindowDriver::shown(), "lblError")->text();
        };

        f.clickInto(f.send);
        QWidget* login = f.login();
        QVERIFY(login && !f.compose->isEnabled());
        QCOMPARE(login->windowTitle(), u"SMS Gateway Login"_s);
        QCOMPARE(child<QLineEdit>(login, "txtUsername")->text(), kannel.username);
        QTest::keyClicks(child<QLineEdit>(login, "txtPassword"), password);
        f.clickInto(child<QPushButton>(login, "cmdLogin")); // runs the whole send job
        QTRY_VERIFY(f.compose->isEnabled());

        QCOMPARE(errorLines, errorShown.isEmpty() ? QStringList() : QStringList{errorShown});
        if (!deliveredTo.isEmpty())
            QVERIFY(kannel.waitForParts(int(deliveredTo.size())));
        QTest::qWait(500); // a text sent twice would show up by now
        QStringList numbers;
        for (const test::KannelDelivery& d : kannel.deliveries()) {
            numbers << d.to;
            QCOMPARE(d.text, text);
        }
        QCOMPARE(numbers, deliveredTo);
        f.compose->close();
    }

    // Send on the gateway route asks the gateway's account with the caret where the account is
    // incomplete: in the password box when the user name is remembered, in the user name box
    // otherwise.  Cancel gives the window back.
    void gatewayLoginStartsWhereTheAccountIsIncomplete_data() {
        QTest::addColumn<QString>("rememberedUserName");
        QTest::addColumn<QString>("caretIn");
        QTest::newRow("user name remembered") << u"gw"_s << u"txtPassword"_s;
        QTest::newRow("nothing remembered") << QString() << u"txtUsername"_s;
    }
    void gatewayLoginStartsWhereTheAccountIsIncomplete() {
        QFETCH(QString, rememberedUserName);
        QFETCH(QString, caretIn);
        WindowsSend f;
        save_setting(u"sendroute"_s, u"kannel"_s);
        save_setting(u"gatewayurl"_s, u"http://127.0.0.1:9"_s);
        save_setting(u"gatewayusername"_s, rememberedUserName);
        QVERIFY(f.open());
        f.type(f.toField, u"07700900123"_s);
        f.type(f.message, u"hi"_s);
        f.clickInto(f.send);
        f.checkLogin(caretIn, rememberedUserName, QString());
        f.clickInto(child<QPushButton>(f.login(), "cmdCancel"));
        QTRY_VERIFY(f.compose->isEnabled());
        QVERIFY(!f.login());
    }

    // Passwords an older version scrambled into the settings file, the portal's and the
    // gateway's, go to the desktop's keyring at start-up and leave the file.
    void startUpMovesScrambledPasswordsToTheKeyring() {
        Fixture f;
        f.quiet.keyring.reachable = true;
        save_setting(u"hidesplashscreen"_s, u"yes"_s);
        save_setting(u"wispusername"_s, u"alice"_s);
        save_setting(u"wisppassword"_s, scramble_password(u"portal pw"_s));
        save_setting(u"gatewayusername"_s, u"gw"_s);
        save_setting(u"gatewaypassword"_s, scramble_password(u"gateway pw"_s));
        f.start();
        const decltype(f.quiet.keyring.items) expected = {
            {{u"Zemble: O2 portal password for alice"_s, u"alice"_s}, u"portal pw"_s},
            {{u"Zemble: Kannel gateway password for gw"_s, u"gw"_s}, u"gateway pw"_s}};
        QCOMPARE(f.quiet.keyring.items, expected);
        QCOMPARE(get_setting(u"wisppassword"_s, u"absent"_s), QString());
        QCOMPARE(get_setting(u"gatewaypassword"_s, u"absent"_s), QString());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
