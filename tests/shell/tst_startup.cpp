#include "addressbook/contact_store.h"
#include "compose/main_window.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "platform/pause.h"
#include "shell/startup.h"
#include "support/doubles.h"
#include "support/temp_settings.h"
#include "support/tray_double.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace zemble;

namespace {

QWidget* topLevel(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

// Records each blocking pause together with what was on screen meanwhile.
class WatchingPause final : public platform::PauseService {
public:
    struct Seen {
        int milliseconds;
        bool splashShown;
        bool composeShown;
        QString composeTitle;
        QString versionLine;
        QString releaseLine;
    };
    void block(int milliseconds) override {
        QWidget* splash = topLevel(QStringLiteral("frmSplash"));
        QWidget* compose = topLevel(QStringLiteral("frmMain"));
        seen.append(
            {milliseconds, splash != nullptr, compose != nullptr,
             compose ? compose->windowTitle() : QString(),
             splash ? splash->findChild<QLabel*>(QStringLiteral("lblVersion"))->text() : QString(),
             splash ? splash->findChild<QLabel*>(QStringLiteral("lblRelease"))->text()
                    : QString()});
    }
    void processEventsThenBlock(int milliseconds) override { afterEvents.append(milliseconds); }
    QList<Seen> seen;
    QList<int> afterEvents;
};

struct Fixture {
    test::TempSettings settings;
    test::RecordingMessageBox messages;
    WatchingPause pauses;
    test::RecordingTray tray;
    QTemporaryDir contactsDir;
    platform::ScopedService<platform::MessageBoxService> messageGuard{&messages};
    platform::ScopedService<platform::PauseService> pauseGuard{&pauses};
    platform::ScopedService<platform::TrayService> trayGuard{&tray};
    Fixture() { session() = SessionState{}; }
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void splash_data() {
        QTest::addColumn<QString>("hidesplashscreen");
        QTest::addColumn<bool>("splash");
        QTest::newRow("default") << "" << true;
        QTest::newRow("no") << "no" << true;
        QTest::newRow("not exactly yes") << "YES" << true;
        QTest::newRow("hidden") << "yes" << false;
    }
    void splash() {
        QFETCH(QString, hidesplashscreen);
        QFETCH(bool, splash);
        Fixture f;
        if (!hidesplashscreen.isEmpty())
            save_setting(QStringLiteral("hidesplashscreen"), hidesplashscreen);
        Program program(f.contactsDir.path());
        program.Main();
        const QString title = QStringLiteral("Zemble v0.4.16 (beta)");
        QCOMPARE(program.composeWindow()->windowTitle(), title);
        QVERIFY(program.composeWindow()->isVisible());
        // No splash is left behind once start-up is over.
        QCOMPARE(topLevel(QStringLiteral("frmSplash")), nullptr);
        if (!splash) {
            QVERIFY(f.pauses.seen.isEmpty());
            return;
        }
        QCOMPARE(f.pauses.seen.size(), 2);
        const auto& first = f.pauses.seen.at(0);
        const auto& second = f.pauses.seen.at(1);
        QCOMPARE(first.milliseconds, 1500);
        QVERIFY(first.splashShown);
        QVERIFY(!first.composeShown);
        QCOMPARE(first.versionLine, QStringLiteral("version 0.4.16 (beta)"));
        QCOMPARE(first.releaseLine, QStringLiteral("Released 22nd May 2003"));
        QCOMPARE(second.milliseconds, 1500);
        QVERIFY(second.splashShown);
        QVERIFY(second.composeShown);
        QCOMPARE(second.composeTitle, title);
        QVERIFY(f.pauses.afterEvents.isEmpty());
    }

    void sessionFromSettings_data() {
        QTest::addColumn<QVariant>("quotaleft");
        QTest::addColumn<QVariant>("paidquotaleft");
        QTest::addColumn<int>("free");
        QTest::addColumn<int>("paid");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty store")
            << QVariant() << QVariant() << -1 << -1 << "Unknown free & unknown paid";
        QTest::newRow("figures") << QVariant("12") << QVariant("0") << 12 << 0
                                 << "12 free & 0 paid";
        QTest::newRow("empty value is zero")
            << QVariant("") << QVariant("-1") << 0 << -1 << "0 free & unknown paid";
    }
    void sessionFromSettings() {
        QFETCH(QVariant, quotaleft);
        QFETCH(QVariant, paidquotaleft);
        QFETCH(int, free);
        QFETCH(int, paid);
        QFETCH(QString, shown);
        Fixture f;
        save_setting(QStringLiteral("hidesplashscreen"), QStringLiteral("yes"));
        if (quotaleft.isValid())
            save_setting(QStringLiteral("quotaleft"), quotaleft.toString());
        if (paidquotaleft.isValid())
            save_setting(QStringLiteral("paidquotaleft"), paidquotaleft.toString());
        session().logged_in = true;
        Program program(f.contactsDir.path());
        program.Main();
        QCOMPARE(session().logged_in, false);
        QCOMPARE(int(session().quota_free), free);
        QCOMPARE(int(session().quota_paid), paid);
        QCOMPARE(program.composeWindow()->findChild<QLabel*>(QStringLiteral("lblQuota"))->text(),
                 shown);
    }

    void addressBookLoaded() {
        Fixture f;
        save_setting(QStringLiteral("hidesplashscreen"), QStringLiteral("yes"));
        QFile file(f.contactsDir.filePath(QStringLiteral("zemble_contacts.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Bob;07711111111\r\n");
        file.close();
        Program program(f.contactsDir.path());
        program.Main();
        QCOMPARE(contacts().count, qint16(1));
        QCOMPARE(contacts().names.at(0), QStringLiteral("Bob"));
        // Every window the compose window opens is there.
        MainWindow* w = program.composeWindow();
        QVERIFY(w->findChild<QWidget*>(QStringLiteral("cmdTo"))->isEnabled());
        QVERIFY(w->findChild<QWidget*>(QStringLiteral("cmdSend"))->isEnabled());
        QVERIFY(w->editItem(7)->isEnabled());
        QVERIFY(w->helpItem(8)->isEnabled());
        QVERIFY(!w->windowIcon().isNull());
    }

    void sendWithoutPasswordAsksForIt() {
        Fixture f;
        save_setting(QStringLiteral("hidesplashscreen"), QStringLiteral("yes"));
        save_setting(QStringLiteral("wispusername"), QStringLiteral("alice"));
        Program program(f.contactsDir.path());
        program.Main();
        MainWindow* w = program.composeWindow();
        w->setToText(QStringLiteral("07700900123"));
        w->findChild<QPlainTextEdit*>(QStringLiteral("txtMessage"))
            ->setPlainText(QStringLiteral("hi"));
        w->findChild<QPushButton*>(QStringLiteral("cmdSend"))->click();
        QWidget* login = topLevel(QStringLiteral("frmLogin"));
        QVERIFY(login);
        QVERIFY(!w->isEnabled());
        QCOMPARE(login->focusWidget(), login->findChild<QWidget*>(QStringLiteral("txtPassword")));
        QCOMPARE(login->findChild<QLineEdit*>(QStringLiteral("txtUsername"))->text(),
                 QStringLiteral("alice"));
        QVERIFY(f.messages.asked.isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
