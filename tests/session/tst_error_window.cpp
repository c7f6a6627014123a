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
        QStringList texts{window.windowTitle()};
        for (const char* name :
             {"lblError", "Label1", "Label2", "cmdRetry", "cmdIgnore", "cmdAbort", "cmdHelp"})
            texts << window.findChild<QWidget*>(name)->property("text").toString();
        QCOMPARE(texts.join('|'),
                 "Sending error|The O2 did not respond to this request in the way Zemble was "
                 "expecting. This could be a problem with O2, the details you supplied or Zemble "
                 "itself.|Before you assume it is an Zemble problem, it would be advisable to look "
                 "at the Internet Explorer window that has opened to see if you can determine the "
                 "error. Your username/password may be wrong, the number may be invalid, you may "
                 "have run out of quota or the O2 site may be down.|Given that this error has "
                 "occurred, what would you like to do?|Retry|Ignore Error|Abort All|Help");
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
