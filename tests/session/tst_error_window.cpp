#include "session/error_window.h"

#include "support/doubles.h"
#include "support/keys.h"

#include <QtTest>

using namespace zemble;
using namespace Qt::StringLiterals;

namespace {

// Keys pressed from the moment the window opens, the choice they leave, the control with the
// caret after (none: the window has gone) and the help pages shown.
struct Keys {
    QString keys;
    ErrorWindow::Choice choice = ErrorWindow::None;
    std::optional<QString> caretOn = {};
    QStringList helpPages = {};
};

// The error window as the transport shows it, at the front with the caret where it puts it.
struct Shown {
    Shown() {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    test::QuietPlatform quiet;
    ErrorWindow window;
    QString text(const char* name) const {
        return window.findChild<QWidget*>(name)->property("text").toString();
    }
};

const char* const kError =
    "The O2 did not respond to this request in the way Zemble was expecting. This could be a "
    "problem with O2, the details you supplied or Zemble itself.";
const char* const kAdvice =
    "Before you assume it is an Zemble problem, it would be advisable to look at the Internet "
    "Explorer window that has opened to see if you can determine the error. Your "
    "username/password may be wrong, the number may be invalid, you may have run out of quota or "
    "the O2 site may be down.";
const char* const kQuestion = "Given that this error has occurred, what would you like to do?";
const char* const kDelivered = "No answer came back for this text message, so it may already "
                               "have been delivered. Retry sends it again.";

} // namespace

Q_DECLARE_METATYPE(Keys)

class TestBrowserWindow : public QObject {
    Q_OBJECT
private slots:
    // Keys pressed as a person would from the moment the window opens: the caret starts on
    // Abort All, which sends nothing; Tab and Shift+Tab go round the buttons only.
    void keysFromOpening_data() {
        QTest::addColumn<Keys>("row");
        const auto row = [](const char* name, const Keys& k) { QTest::newRow(name) << k; };
        // The transport hides the window once it has the choice.
        row("Enter presses Abort All", {"Return", ErrorWindow::Abort, "cmdAbort"});
        row("Escape gives up as Abort All", {"Esc", ErrorWindow::Abort});
        row("Shift+Tab twice then Enter retries",
            {"Shift+Tab Shift+Tab Return", ErrorWindow::Retry, "cmdRetry"});
        row("Shift+Tab then Enter ignores the error",
            {"Shift+Tab Enter", ErrorWindow::Ignore, "cmdIgnore"});
        row("Tab then Enter opens the help page and leaves the choice",
            {"Tab Return", ErrorWindow::None, "cmdHelp", {"send_error.html"}});
        row("Shift+Tab from Retry goes round to Help, not to the window",
            {"Shift+Tab Shift+Tab Shift+Tab", ErrorWindow::None, "cmdHelp"});
    }
    void keysFromOpening() {
        QFETCH(Keys, row);
        const auto& [keys, choice, caretOn, helpPages] = row;
        Shown s;
        QCOMPARE(QApplication::focusWidget(), s.window.findChild<QWidget*>("cmdAbort"));
        test::press(keys);
        QCOMPARE(s.window.error_choice(), choice);
        QCOMPARE(s.window.isVisible(), caretOn.has_value());
        const QWidget* caret = s.window.isVisible() ? QApplication::focusWidget() : nullptr;
        QCOMPARE(caret ? std::optional(caret->objectName()) : std::nullopt, caretOn);
        QCOMPARE(s.quiet.help.topics, helpPages);
    }

    // A screen reader hears a dialog named by its title whose description is the explanation it
    // shows, the line about a text that may have gone included while it is shown.
    void screenReaderHearsTheExplanation_data() {
        QTest::addColumn<bool>("deliveryWarning");
        QTest::addColumn<QStringList>("description");
        QTest::newRow("a page that was not expected")
            << false << QStringList{kError, kAdvice, kQuestion};
        QTest::newRow("a text message with no answer")
            << true << QStringList{kError, kAdvice, kDelivered, kQuestion};
    }
    void screenReaderHearsTheExplanation() {
        QFETCH(bool, deliveryWarning);
        QFETCH(QStringList, description);
        Shown s;
        s.window.showDeliveryWarning(deliveryWarning);
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&s.window);
        QVERIFY(window);
        QCOMPARE(window->role(), QAccessible::Dialog);
        QCOMPARE(window->text(QAccessible::Name), "Sending error");
        QCOMPARE(window->text(QAccessible::Description), description.join(' '));
        QVERIFY(!window->state().focusable);
    }

    // The first paragraph runs the width of the window beside the icon, as wide as the
    // paragraphs below it less the icon's column.
    void firstParagraphAcrossTheWidth() {
        Shown s;
        const QWidget* error = s.window.findChild<QWidget*>("lblError");
        const QWidget* advice = s.window.findChild<QWidget*>("Label1");
        const QWidget* icon = s.window.findChild<QWidget*>("picIcon");
        QCOMPARE(error->geometry().right(), advice->geometry().right());
        QVERIFY(icon->width() <= 48);
        QVERIFY(error->geometry().left() <= icon->geometry().right() + 24);
    }
};

QTEST_MAIN(TestBrowserWindow)
#include "tst_error_window.moc"
