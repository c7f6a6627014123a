#include "compose/main_window.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "platform/page_display.h"
#include "shell/startup.h"
#include "support/doubles.h"
#include "support/opsim.h"
#include "support/page_display_double.h"
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

QWidget* shownTopLevel(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

template <class T> T* child(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// Clicks a control as a person would, so the focus moves to it first.
void clickInto(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, 4));
}

} // namespace

class TestStartupEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void typedSendReachesTheSite() {
        test::TempSettings settings;
        test::QuietPlatform quiet;
        test::RecordingTray tray;
        test::RecordingPageDisplay display;
        platform::ScopedService<platform::TrayService> trayGuard(&tray);
        platform::ScopedService<platform::PageDisplayService> displayGuard(&display);
        QTemporaryDir contactsDir;
        session() = SessionState{};

        test::OpSim sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        sim.applyToSettings();
        save_setting(QStringLiteral("hidesplashscreen"), QStringLiteral("yes"));
        QFile book(contactsDir.filePath(QStringLiteral("zemble_contacts.txt")));
        QVERIFY(book.open(QIODevice::WriteOnly));
        book.write("Bob;07700900456\r\n");
        book.close();

        Program program(contactsDir.path());
        program.Main();
        MainWindow* compose = program.composeWindow();
        compose->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(compose));

        auto* to = child<QLineEdit>(compose, "txtTo");
        auto* message = child<QPlainTextEdit>(compose, "txtMessage");
        clickInto(to);
        QTRY_VERIFY(to->hasFocus());
        QTest::keyClicks(to, QStringLiteral("+447700900123; bo"));
        clickInto(message->viewport());
        QTRY_VERIFY(message->hasFocus());
        QCOMPARE(to->text(), QStringLiteral("07700900123 ; Bob"));

        // 130 characters: two free texts for each of the two recipients.
        const QString text = QStringLiteral("Meet at the station at six. ").repeated(4) +
                             QStringLiteral("Bring the map, the tickets and a warm coat ok");
        QVERIFY(text.size() > 130);
        QTest::keyClicks(message, text.left(130));
        QCOMPARE(child<QLabel>(compose, "lblStats")->text(),
                 QStringLiteral("130 characters used (split over 2 messages)"));

        clickInto(child<QPushButton>(compose, "cmdSend"));
        QWidget* login = shownTopLevel(QStringLiteral("frmLogin"));
        QVERIFY(login);
        QVERIFY(!compose->isEnabled());
        QTest::keyClicks(child<QLineEdit>(login, "txtUsername"), QStringLiteral("alice"));
        QTest::keyClicks(child<QLineEdit>(login, "txtPassword"), QStringLiteral("secret"));
        // Login runs the whole send job before it returns.
        clickInto(child<QPushButton>(login, "cmdLogin"));
        QTRY_VERIFY(compose->isEnabled());

        QVERIFY2(quiet.messages.asked.isEmpty(), qPrintable(quiet.messages.asked.value(0).text));
        const QList<QJsonObject> outbox = sim.outbox();
        QCOMPARE(outbox.size(), 4);
        const QStringList numbers = {"07700900123", "07700900123", "07700900456", "07700900456"};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(outbox.at(i).value("account").toString(), QStringLiteral("alice"));
            QCOMPARE(outbox.at(i).value("number").toString(), numbers.at(i));
            QCOMPARE(outbox.at(i).value("type").toString(), QStringLiteral("free"));
        }
        QCOMPARE(outbox.at(0).value("text").toString() + outbox.at(1).value("text").toString(),
                 text.left(130));
        QCOMPARE(outbox.at(2).value("text").toString() + outbox.at(3).value("text").toString(),
                 text.left(130));

        const QString information = child<QLabel>(compose, "lblInformation")->text();
        QVERIFY2(information.startsWith(QStringLiteral("       You sent this text message on ")),
                 qPrintable(information));
        const QJsonObject quota = sim.quota(QStringLiteral("alice"));
        QCOMPARE(quota.value("free").toInt(), 6);
        QCOMPARE(child<QLabel>(compose, "lblQuota")->text(), QStringLiteral("%1 free & %2 paid")
                                                                 .arg(quota.value("free").toInt())
                                                                 .arg(quota.value("paid").toInt()));
        QVERIFY(quiet.pauses.blocked.contains(2000));
        QVERIFY(!session().logged_in);

        // Nothing changed since: closing asks nothing under the default setting.
        compose->close();
        QVERIFY(quiet.messages.asked.isEmpty());
    }
};

QTEST_MAIN(TestStartupEndToEnd)
#include "tst_startup_end_to_end.moc"
