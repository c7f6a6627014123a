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
    // "keys|choice (None -1, Retry 1, Ignore 2, Abort All 3), still shown, help pages".
    void keys_data() {
        QTest::addColumn<QString>("row");
        for (const char* row :
             {"Return|-1 1 ", "Esc|3 0 ", "Tab Return|1 1 ", "Tab Tab Enter|2 1 ",
              "Shift+Tab Shift+Tab Return|3 1 ", "Shift+Tab Return|-1 1 send_error.html"})
            QTest::newRow(row) << QString(row);
    }
    void keys() {
        QFETCH(QString, row);
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
        test::press(row.section('|', 0, 0));
        QCOMPARE(QString("%1 %2 ").arg(int(window.error_choice())).arg(window.isVisible()) +
                     quiet.help.topics.join(' '),
                 row.section('|', 1));
    }
};

QTEST_MAIN(TestBrowserWindow)
#include "tst_error_window.moc"
