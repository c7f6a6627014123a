#include "shell/about_window.h"

#include "core/settings.h"
#include "support/doubles.h"
#include "support/keys.h"
#include "support/temp_settings.h"

#include <QtTest>
#include <QtWidgets>

using namespace zemble;

namespace {

// The About window as Help > About shows it, over a settings file holding at most one value.
struct Fixture {
    Fixture(const char* key, const char* value) {
        save_setting(key, value);
        AboutWindow::showAbout(window);
    }
    ~Fixture() { delete window; }
    test::TempSettings settings;
    test::QuietPlatform quiet;
    QPointer<AboutWindow> window;
    QLabel* label(const char* name) { return window->findChild<QLabel*>(QLatin1String(name)); }
};

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    // The icon's tool tip for each value of "nosendlimit".  A left click on the
    // link opens the page, a right click does not; the text has the room.  Help > About while
    // the window is open gives the same window.  The keys are in keysFromOpening.
    void textsLinkClickAndOneWindow() {
        for (const auto& [value, tip] : {std::pair{"yes", "SMS sending limit disabled"},
                                         std::pair{"no", ""}, std::pair{"Yes", ""}}) {
            Fixture f("nosendlimit", value);
            QCOMPARE(f.label("picIcon")->toolTip(), tip);
        }
        Fixture f(keys::productHomePage, "http://127.0.0.1/z/");
        QLabel* url = f.label("lblUrl");
        QCOMPARE(url->text(), "http://127.0.0.1/z/");
        QTest::mouseClick(url, Qt::RightButton);
        QTest::mouseClick(url, Qt::LeftButton);
        QCOMPARE(f.quiet.browser.opened, QStringList{"http://127.0.0.1/z/"});
        QVERIFY(f.window->isVisible() && f.label("picIcon")->width() < f.window->width() / 5);
        QCOMPARE(AboutWindow::showAbout(f.window), f.window.data());
    }

    // Keys pressed from the moment the window opens, with the caret where the window puts it.
    void keysFromOpening_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("pagesOpened");
        QTest::newRow("Enter closes, the page stays shut") << "Return" << true << 0;
        QTest::newRow("Escape closes") << "Esc" << true << 0;
        QTest::newRow("two Tabs reach the link, Enter opens it") << "Tab Tab Return" << false << 1;
        QTest::newRow("Shift+Tab reaches the link too") << "Shift+Tab Space" << false << 1;
    }
    void keysFromOpening() {
        QFETCH(QString, keys);
        QFETCH(bool, closed);
        QFETCH(int, pagesOpened);
        Fixture f(keys::productHomePage, "http://127.0.0.1/z/");
        QVERIFY(QTest::qWaitForWindowActive(f.window));
        QCOMPARE(QApplication::focusWidget(), f.window->findChild<QPushButton*>("cmdOK"));
        test::press(keys);
        QTRY_COMPARE(f.window.isNull(), closed);
        QCOMPARE(f.quiet.browser.opened.size(), pagesOpened);
    }

    // A screen reader hears the link as a link named by its address; with the caret on it, the
    // link shows a frame around it, not only another colour.
    void linkAsTheScreenReaderAndTheEyeSeeIt() {
        Fixture f(keys::productHomePage, "http://127.0.0.1/z/");
        QVERIFY(QTest::qWaitForWindowActive(f.window));
        QLabel* url = f.label("lblUrl");
        QAccessibleInterface* link = QAccessible::queryAccessibleInterface(url);
        QVERIFY(link);
        QCOMPARE(link->role(), QAccessible::Link);
        QCOMPARE(link->text(QAccessible::Name), "http://127.0.0.1/z/");
        QVERIFY(link->state().focusable);

        const auto topEdgeColours = [url] {
            const QImage image = url->grab().toImage();
            QSet<QRgb> colours;
            for (int x = 0; x < image.width(); ++x)
                colours.insert(image.pixel(x, 0));
            return colours.size();
        };
        QCOMPARE(topEdgeColours(), 1);
        test::press("Tab Tab");
        QVERIFY(url->hasFocus());
        QVERIFY(link->state().focused);
        QVERIFY(topEdgeColours() > 1);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about_window.moc"
