#include "compose/main_window.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "platform/help_viewer.h"
#include "session/error_window.h"
#include "shell/startup.h"
#include "support/doubles.h"
#include "support/opsim.h"
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

QString labelText(QWidget* window, const char* name) {
    return window ? child(window, name)->text() : u"-"_s;
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
    Fixture() { session() = SessionState{}; }
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
    void splash_data() {
        QTest::addColumn<QString>("hidesplashscreen");
        QTest::addColumn<bool>("splash");
        QTest::newRow("default") << QString() << true;
        QTest::newRow("not exactly yes") << u"YES"_s << true;
        QTest::newRow("hidden") << u"yes"_s << false;
    }
    void splash() {
        QFETCH(QString, hidesplashscreen);
        QFETCH(bool, splash);
        Fixture f;
        if (!hidesplashscreen.isNull())
            save_setting(u"hidesplashscreen"_s, hidesplashscreen);
        // The windows painted so far.
        struct PaintLog : QObject {
            bool eventFilter(QObject* watched, QEvent* event) override {
                if (event->type() == QEvent::Paint && watched->isWidgetType())
                    painted.insert(static_cast<QWidget*>(watched)->window()->objectName());
                return false;
            }
            QSet<QString> painted;
        } log;
        qApp->installEventFilter(&log);
        // Each pause, with the splash's lines, whether it is on screen in the middle of it,
        // and the compose window's title once it is on screen and painted.
        QStringList seen;
        f.quiet.pauses.onPause = [&](int, int milliseconds) {
            QWidget* splashWindow = shownWindow(u"frmSplash"_s);
            QWidget* compose = shownWindow(u"frmMain"_s);
            const auto onScreen = [&](QWidget* w) {
                return w->windowHandle()->isExposed() && log.painted.contains(w->objectName());
            };
            const QPoint middle = QGuiApplication::primaryScreen()->availableGeometry().center();
            seen.append(
                u"%1|%2|%3|%4|%5"_s.arg(milliseconds)
                    .arg(labelText(splashWindow, "lblVersion"),
                         labelText(splashWindow, "lblRelease"))
                    .arg((splashWindow->geometry().center() - middle).manhattanLength() < 2 &&
                         onScreen(splashWindow))
                    .arg(compose && onScreen(compose) ? compose->windowTitle() : u"-"_s));
        };
        const QString title = u"Zemble v0.4.16 (beta)"_s;
        QCOMPARE(f.start()->windowTitle(), title);
        QVERIFY(f.program->composeWindow()->isVisible());
        QCOMPARE(shownWindow(u"frmSplash"_s), nullptr);
        const QString lines = u"1500|version 0.4.16 (beta)|Released 22nd May 2003|1|"_s;
        QCOMPARE(seen, splash ? QStringList({lines + "-", lines + title}) : QStringList());
        QVERIFY(f.quiet.pauses.afterEvents.isEmpty());
        // The store is empty: both quota figures are unknown.
        QCOMPARE(session().quota_free, qint16(-1));
        QCOMPARE(session().quota_paid, qint16(-1));
    }

    // Every control of every window that takes the caret has a name a screen reader can
    // say, none shared within its window; each secondary window stays above the one that
    // opened it, which passes the caret on to it while disabled.  A row is "the controls
    // used in turn (window:control)#the window#the window it stays above".
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
        compose->setToText(u"0771"_s);
        child<QPlainTextEdit>(compose, "txtMessage")->setPlainText(u"hi"_s);
        ErrorWindow errors;
        platform::HelpViewer help;
        for (const QString& step : c[0].split(u' ', Qt::SkipEmptyParts)) {
            QObject* control =
                shownWindow(step.section(u':', 0, 0))->findChild<QObject*>(step.section(u':', 1));
            if (auto* action = qobject_cast<QAction*>(control))
                action->trigger();
            else
                static_cast<QAbstractButton*>(control)->click();
        }
        QWidget* w = shownWindow(c[1], true);
        QStringList said;
        for (QWidget* control : w->findChildren<QWidget*>()) {
            if (control->window() != w || control->focusPolicy() == Qt::NoFocus)
                continue;
            QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(control);
            QString name = spoken->text(QAccessible::Name);
            // Qt on Linux names a drop-down list after its current item; what the list is
            // comes from its label, or else the name set in the form.
            const auto labels = spoken->relations(QAccessible::Label);
            if (qobject_cast<QComboBox*>(control))
                name = !labels.isEmpty() ? labels.first().first->text(QAccessible::Name)
                                         : control->accessibleName();
            QVERIFY2(!name.isEmpty() && !said.contains(name), qPrintable(control->objectName()));
            said << name;
        }
        const QWindow* parent = w->windowHandle() ? w->windowHandle()->transientParent() : nullptr;
        QWidget* opener = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            opener = parent && top->windowHandle() == parent ? top : opener;
        QCOMPARE(opener ? opener->objectName() : QString(), c[2]);
        if (w->isVisible() && !compose->isEnabled()) { // brought forward with Alt+Tab
            compose->activateWindow();
            QTRY_VERIFY(w->isActiveWindow());
        }
    }

    // The real windows driven as a person would, against the simulator; the user name is
    // remembered, the password is not.
    void typedSendReachesTheSite() {
        Fixture f;
        test::OpSim sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        sim.applyToSettings();
        save_setting(u"hidesplashscreen"_s, u"yes"_s);
        save_setting(u"wispusername"_s, u"alice"_s);
        QFile book(f.contactsDir.filePath(u"zemble_contacts.txt"_s));
        QVERIFY(book.open(QIODevice::WriteOnly));
        book.write("Bob;07700900456\r\n");
        book.close();

        MainWindow* compose = f.start();
        compose->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(compose));

        auto* to = child<QLineEdit>(compose, "txtTo");
        auto* message = child<QPlainTextEdit>(compose, "txtMessage");
        clickInto(to);
        QTRY_VERIFY(to->hasFocus());
        QTest::keyClicks(to, u"+447700900123; bo"_s);
        clickInto(message->viewport());
        QTRY_VERIFY(message->hasFocus());
        QCOMPARE(to->text(), u"07700900123 ; Bob"_s);

        // 130 characters: two free texts for each of the two recipients.
        const QString text = (u"Meet at the station at six. "_s.repeated(4) +
                              u"Bring the map, the tickets and a warm coat ok"_s)
                                 .left(130);
        QTest::keyClicks(message, text);
        QCOMPARE(child(compose, "lblStats")->text(),
                 u"130 characters used (split over 2 messages)"_s);

        clickInto(child<QPushButton>(compose, "cmdSend"));
        QWidget* login = shownWindow(u"frmLogin"_s);
        QVERIFY(login && !compose->isEnabled());
        QCOMPARE(login->focusWidget(), child<QWidget>(login, "txtPassword"));
        QCOMPARE(child<QLineEdit>(login, "txtUsername")->text(), u"alice"_s);
        QTest::keyClicks(child<QLineEdit>(login, "txtPassword"), u"secret"_s);
        // Login runs the whole send job before it returns.
        clickInto(child<QPushButton>(login, "cmdLogin"));
        QTRY_VERIFY(compose->isEnabled());

        QVERIFY2(f.quiet.messages.asked.isEmpty(),
                 qPrintable(f.quiet.messages.asked.value(0).text));
        const QList<QJsonObject> outbox = sim.outbox();
        QCOMPARE(outbox.size(), 4);
        const QStringList numbers = {"07700900123", "07700900123", "07700900456", "07700900456"};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(outbox.at(i).value("account").toString(), u"alice"_s);
            QCOMPARE(outbox.at(i).value("number").toString(), numbers.at(i));
            QCOMPARE(outbox.at(i).value("type").toString(), u"free"_s);
        }
        for (int i : {0, 2}) // each recipient's two parts make up the whole text
            QCOMPARE(outbox.at(i).value("text").toString() +
                         outbox.at(i + 1).value("text").toString(),
                     text);

        const QString information = child(compose, "lblInformation")->text();
        QVERIFY2(information.startsWith(u"       You sent this text message on "_s),
                 qPrintable(information));
        const QJsonObject quota = sim.quota(u"alice"_s);
        QCOMPARE(quota.value("free").toInt(), 6);
        QCOMPARE(child(compose, "lblQuota")->text(),
                 u"%1 free & %2 paid"_s.arg(quota.value("free").toInt())
                     .arg(quota.value("paid").toInt()));
        QVERIFY(f.quiet.pauses.blocked.contains(2000));
        QVERIFY(!session().logged_in);

        // Nothing changed since: closing asks nothing under the default setting.
        compose->close();
        QVERIFY(f.quiet.messages.asked.isEmpty());
    }

    // Ctrl+S with the caret still in the field last typed into: the message is cleaned up and
    // every recipient resolved all the same, so what is counted is what is sent, and an entry
    // without a number stops the send before any request.
    void sendByKeyboard_data() {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("caretInTo");
        QTest::addColumn<QString>("told"); // the box shown instead of sending
        const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
        QTest::newRow("emoji, caret in the message box")
            << u"07700900123 ; 07700900456"_s << QString(114, u'x') + emoji + QString(20, u'y')
            << false << QString();
        QTest::newRow("unknown entry, caret in To")
            << u"Nobody ; 07700900123"_s << u"hi"_s << true << u"Recipient alert"_s;
    }
    void sendByKeyboard() {
        QFETCH(QString, to);
        QFETCH(QString, text);
        QFETCH(bool, caretInTo);
        QFETCH(QString, told);
        Fixture f;
        test::OpSim sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        sim.applyToSettings();
        save_setting(u"hidesplashscreen"_s, u"yes"_s);
        save_setting(u"wispusername"_s, u"alice"_s);
        save_setting(u"wisppassword"_s, scramble_password(u"secret"_s));
        MainWindow* compose = f.start();
        compose->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(compose));
        auto* toField = child<QLineEdit>(compose, "txtTo");
        auto* message = child<QPlainTextEdit>(compose, "txtMessage");
        // One key event a character, as a keyboard or an input method sends it.
        const auto type = [](QWidget* field, const QString& typed) {
            for (qsizetype i = 0; i < typed.size(); i += typed[i].isHighSurrogate() ? 2 : 1)
                QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown,
                                    typed.mid(i, typed[i].isHighSurrogate() ? 2 : 1), {});
        };
        for (QWidget* field :
             caretInTo ? QList<QWidget*>{message, toField} : QList<QWidget*>{toField, message}) {
            clickInto(field == message ? message->viewport() : field);
            QTRY_VERIFY(field->hasFocus());
            type(field, field == message ? text : to);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
        QTRY_VERIFY(compose->isEnabled());

        QCOMPARE(f.quiet.messages.titles(), told.isEmpty() ? QStringList{} : QStringList{told});
        if (!told.isEmpty()) {
            QCOMPARE(sim.requests().size(), 0);
            QCOMPARE(toField->text(), to);
            return;
        }
        // Each recipient got the parts the statistics line counted, and nothing lost in them.
        static const QRegularExpression counted(u"split over (\\d+) message"_s);
        const int parts = counted.match(child(compose, "lblStats")->text()).captured(1).toInt();
        const QList<QJsonObject> outbox = sim.outbox();
        QCOMPARE(outbox.size(), 2 * parts);
        QString first;
        for (int i = 0; i < parts; ++i)
            first += outbox.at(i).value("text").toString();
        QCOMPARE(first, message->toPlainText());
        QVERIFY(!first.contains(u'?') && parts == 2);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
