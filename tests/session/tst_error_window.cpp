#include "session/error_window.h"

#include "support/doubles.h"
#include "support/keys.h"

#include <QtTest>

using namespace zemble;

// The error window's keys, pressed as a person would from the moment it opens: Escape
// gives up as Abort All; Enter presses only a button the caret has been moved to.
class TestBrowserWindow : public QObject {
    Q_OBJECT
private slots:
    void keys_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("choice");
        QTest::newRow("stray Enter") << "Return" << int(ErrorWindow::None);
        QTest::newRow("Escape") << "Esc" << int(ErrorWindow::Abort);
        QTest::newRow("Retry") << "Tab Return" << int(ErrorWindow::Retry);
        QTest::newRow("Ignore Error") << "Tab Tab Enter" << int(ErrorWindow::Ignore);
        QTest::newRow("Abort All") << "Shift+Tab Shift+Tab Return" << int(ErrorWindow::Abort);
        QTest::newRow("Help") << "Shift+Tab Return" << int(ErrorWindow::None);
    }
    void keys() {
        QFETCH(QString, keys);
        QFETCH(int, choice);
        test::QuietPlatform quiet;
        ErrorWindow window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        test::press(keys);
        QCOMPARE(int(window.error_choice()), choice);
        QCOMPARE(window.isVisible(), keys != "Esc");
        QCOMPARE(quiet.help.topics, keys.startsWith("Shift+Tab Return")
                                        ? QStringList{"send_error.html"}
                                        : QStringList{});
    }
};

QTEST_MAIN(TestBrowserWindow)
#include "tst_error_window.moc"
