#include "addressbook/contact_store.h"
#include "compose/main_window.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "platform/help_viewer.h"
#include "session/error_window.h"
#include "shell/startup.h"
#include "support/doubles.h"
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

// Clicks a control as a person would, so the focus moves to it first.
void clickInto(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, 4));
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

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    // A row is "settings stored#free and paid quota read"; only the exact "yes" hides the splash.
    void splash_data() {
        QTest::addColumn<QString>("row");
        for (const char* row : {"#-1 -1", "hidesplashscreen=YES quotaleft=5 paidquotaleft=7#5 7",
                                "hidesplashscreen=yes quotaleft=0 paidquotaleft=12#0 12"})
            QTest::newRow(row) << QString(row);
    }
    void splash() {
        QFETCH(QString, row);
        const bool splash = !row.contains(u"=yes"_s);
        Fixture f;
        for (const QString& pair : row.section(u'#', 0, 0).split(u' ', Qt::SkipEmptyParts))
            save_setting(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        struct PaintLog : QObject {
            bool eventFilter(QObject* watched, QEvent* event) override {
                if (event->type() == QEvent::Paint && watched->isWidgetType())
                    painted.insert(static_cast<QWidget*>(watched)->window()->objectName());
                return false;
            }
            QSet<QString> painted;
        } log;
        qApp->installEventFilter(&log);
        // Each pause: splash lines, splash centred on screen, compose title once shown, contacts.
        QStringList seen;
        f.quiet.pauses.onPause = [&](int, int milliseconds) {
            QWidget* splashWindow = shownWindow(u"frmSplash"_s);
            QWidget* compose = shownWindow(u"frmMain"_s);
            const auto onScreen = [&](QWidget* w) {
                return w->windowHandle()->isExposed() && log.painted.contains(w->objectName());
            };
            const QPoint middle = QGuiApplication::primaryScreen()->availableGeometry().center();
            seen.append(
                u"%1|%2|%3|%4|%5|%6"_s.arg(milliseconds)
                    .arg(child(splashWindow, "lblVersion")->text(),
                         child(splashWindow, "lblRelease")->text())
                    .arg((splashWindow->geometry().center() - middle).manhattanLength() < 2 &&
                         onScreen(splashWindow))
                    .arg(compose && onScreen(compose) ? compose->windowTitle() : u"-"_s)
                    .arg(contacts().count));
        };
        const QString title = u"Zemble v0.4.16 (beta)"_s;
        QCOMPARE(f.start()->windowTitle(), title);
        QVERIFY(f.program->composeWindow()->isVisible() && !shownWindow(u"frmSplash"_s));
        const QString lines = u"1500|version 0.4.16 (beta)|Released 22nd May 2003|1|"_s;
        QCOMPARE(seen, splash ? QStringList({lines + "-|0", lines + title + "|1"}) : QStringList());
        QVERIFY(f.quiet.pauses.afterEvents.isEmpty());
        QCOMPARE(
            u"%1 %2 %3"_s.arg(contacts().count).arg(session().quota_free).arg(session().quota_paid),
            u"1 "_s + row.section(u'#', 1));
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
    // A row is "the controls used in turn (window:control)#the window#the window it is above".
    void everyWindowNamedAndAbove_data() {
        QTest::addColumn<QString>("row");
        for (const char* row :
             {"#frmMain#", "frmMain:cmdTo#frmContacts#frmMain",
              "frmMain:cmdTo frmContacts:cmdNew#frmContactInfo#frmContacts",
              "frmMain:cmdTo frmContacts:cmdUpdate#frmImport#frmContacts",
              "frmMain:cmdTo frmContacts:cmdUpdate#frmAccess#frmImport", "#frmMultiple#frmMain",
              "frmMain:mnuEdit_7#frmPrefs#frmMain", "frmMain:cmdSend#frmLogin#frmMain",
              "frmMain:mnuHelp_8#frmAbout#frmMain", "#frmSend#frmMain", "#frmBrowser#",
              "#helpViewer#"})
            QTest::newRow(row) << QString::fromLatin1(row);
    }
    void everyWindowNamedAndAbove() {
        QFETCH(QString, row);
        const QStringList c = row.split(u'#');
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
        for (const QString& step : c[0].split(u' ', Qt::SkipEmptyParts)) {
            QObject* control =
                shownWindow(step.section(u':', 0, 0))->findChild<QObject*>(step.section(u':', 1));
            QVERIFY(
                QMetaObject::invokeMethod(control, control->isWidgetType() ? "click" : "trigger"));
        }
        QWidget* w = shownWindow(c[1], true);
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
        QCOMPARE(parent ? parent->objectName() : u"Window"_s, c[2] + u"Window"_s);
        if (w->isVisible() && !compose->isEnabled()) { // brought forward with Alt+Tab
            compose->activateWindow();
            QTRY_VERIFY(w->isActiveWindow());
        }
    }

    // The real windows against the simulator: To and text typed a key event a character, then
    // Send, or Ctrl+S with the caret still in the last field; the account remembered whole or
    // in part (the login dialog asks the rest), and used again by the next Send.  A row is
    // "remembered (wispusername, wisppassword or both)#To#text#To after leaving|stats line,
    // or the box told after Ctrl+S in To".
    void sendThroughTheWindows_data() {
        QTest::addColumn<QString>("row");
        const QString text = (u"Meet at the station at six. "_s.repeated(5)).left(130);
        const QString told = u"07700900123 ; Bob|130 characters used (split over 2 messages)"_s;
        QTest::newRow("user name remembered")
            << u"wispusername#+447700900123; bo#"_s + text + '#' + told;
        QTest::newRow("password remembered after a cancelled login")
            << u"wisppassword#+447700900123; bo#"_s + text + '#' + told;
        QTest::newRow("emoji, Ctrl+S in the message box")
            << u"both#07700900123 ; 07700900456#"_s + QString(114, u'x') + u"\U0001F600"_s +
                   QString(20, u'y') +
                   u"#07700900123 ; Bob|134 characters used (split over 2 messages)"_s;
        QTest::newRow("unknown entry, Ctrl+S in To")
            << u"both#Nobody ; 07700900123#hi#Recipient alert"_s;
    }
    void sendThroughTheWindows() {
        QFETCH(QString, row);
        const QStringList c = row.split(u'#');
        const QString &remembered = c[0], &to = c[1], &text = c[2], &told = c[3];
        const bool caretInTo = !told.contains(u'|');
        Fixture f;
        test::OpSim sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        sim.applyToSettings();
        save_setting(u"hidesplashscreen"_s, u"yes"_s);
        if (remembered != u"wisppassword"_s)
            save_setting(u"wispusername"_s, u"alice"_s);
        if (remembered == u"both"_s)
            save_setting(u"wisppassword"_s, scramble_password(u"secret"_s));
        MainWindow* compose = f.start();
        compose->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(compose));
        auto* toField = child<QLineEdit>(compose, "txtTo");
        auto* message = child<QPlainTextEdit>(compose, "txtMessage");
        for (QWidget* field :
             caretInTo ? QList<QWidget*>{message, toField} : QList<QWidget*>{toField, message}) {
            clickInto(field == message ? message->viewport() : field);
            QTRY_VERIFY(field->hasFocus());
            for (const char32_t character : (field == message ? text : to).toUcs4())
                QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown,
                                    QString::fromUcs4(&character, 1), {});
        }
        if (caretInTo) {
            QTest::keyClick(toField, Qt::Key_S, Qt::ControlModifier);
            QCOMPARE(f.quiet.messages.titles().join(u' ') + u'|' + toField->text(),
                     told + u'|' + to);
            QVERIFY(sim.requests().isEmpty() && compose->isEnabled());
            return;
        }
        auto* send = child<QPushButton>(compose, "cmdSend");
        const auto login = [&] { return shownWindow(u"frmLogin"_s); };
        const auto boxes = [&](const QString& caret) {
            QVERIFY(login() && !compose->isEnabled());
            QCOMPARE(login()->focusWidget()->objectName(), caret);
            QCOMPARE(child<QLineEdit>(login(), "txtUsername")->text() + u'/' +
                         child<QLineEdit>(login(), "txtPassword")->text(),
                     remembered == u"wisppassword"_s ? u" alice /secret"_s : u"alice/"_s);
        };
        if (remembered == u"both"_s) {
            QTest::keyClick(message, Qt::Key_S, Qt::ControlModifier);
        } else if (remembered == u"wisppassword"_s) {
            // Escape cancels; the password remembered since, the boxes stay as left.
            clickInto(send);
            QTRY_VERIFY(login()->focusWidget());
            QCOMPARE(login()->focusWidget()->objectName(), u"txtUsername"_s);
            QCOMPARE(child<QLineEdit>(login(), "txtPassword")->echoMode(), QLineEdit::Password);
            QTest::keyClicks(login()->focusWidget(), u" alice "_s);
            test::press(u"Tab"_s);
            QTest::keyClicks(login()->focusWidget(), u"secret"_s);
            test::press(u"Esc"_s);
            QVERIFY(!login() && compose->isEnabled());
            save_setting(u"wisppassword"_s, scramble_password(u"secret"_s));
            clickInto(send);
            boxes(u"txtUsername"_s);
            test::press(u"Return"_s); // runs the whole send job
        } else {
            // A close from the frame cancels; a password of spaces is refused.
            clickInto(send);
            login()->close();
            QVERIFY(!login() && compose->isEnabled());
            clickInto(send);
            boxes(u"txtPassword"_s);
            QTest::keyClicks(child<QLineEdit>(login(), "txtPassword"), u"   "_s);
            clickInto(child<QPushButton>(login(), "cmdHelp"));
            clickInto(child<QPushButton>(login(), "cmdLogin"));
            QCOMPARE(f.quiet.help.topics, QStringList{u"login.html"_s});
            const platform::MessageBoxRequest box = f.quiet.messages.asked.takeFirst();
            QCOMPARE(box.title + u'|' + box.text,
                     u"Login error|Please enter a valid username and password"_s);
            QCOMPARE(box.icon, platform::Icon::Information);
            boxes(u"cmdLogin"_s);
            QTest::keyClicks(child<QLineEdit>(login(), "txtPassword"), u"secret"_s);
            clickInto(child<QPushButton>(login(), "cmdLogin")); // runs the whole send job
        }
        QTRY_VERIFY(compose->isEnabled());
        // The second Send of the run uses the same account without asking.
        clickInto(send);
        QVERIFY(!login());
        QTRY_VERIFY(compose->isEnabled());

        QCOMPARE(f.quiet.messages.titles(), QStringList());
        QCOMPARE(toField->text() + u'|' + child(compose, "lblStats")->text(), told);
        // Each recipient got the two parts, which make up the whole text, twice.
        QStringList sent, expected;
        for (const QJsonObject& m : sim.outbox())
            sent << u"%1 %2 %3 %4"_s.arg(m.value("account").toString(),
                                         m.value("number").toString(), m.value("type").toString(),
                                         m.value("text").toString());
        const QString first = sent.value(0).section(u' ', 3),
                      second = sent.value(1).section(u' ', 3);
        QCOMPARE(first + second, message->toPlainText());
        for (const char* number : {"07700900123", "07700900456", "07700900123", "07700900456"})
            for (const QString& part : {first, second})
                expected << u"alice "_s + number + u" free "_s + part;
        QCOMPARE(sent, expected);
        QCOMPARE(child(compose, "lblInformation")->text().left(37) + u'|' +
                     child(compose, "lblQuota")->text() + u'|' +
                     sim.quota(u"alice"_s).value("free").toVariant().toString(),
                 u"       You sent this text message on |2 free & 5 paid|2"_s);
        QVERIFY(f.quiet.pauses.blocked.contains(2000) && !session().logged_in);
        // Nothing changed since: closing asks nothing under the default setting.
        compose->close();
        QVERIFY(f.quiet.messages.asked.isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
