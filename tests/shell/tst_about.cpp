#include "shell/about_window.h"

#include "core/settings.h"
#include "support/doubles.h"
#include "support/keys.h"
#include "support/temp_settings.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace zemble;

namespace {

// The About window as Help > About shows it, over a settings file holding at most one value.
struct Fixture {
    explicit Fixture(const char* key = nullptr, const char* value = nullptr) {
        if (key)
            save_setting(key, value);
        AboutWindow::showAbout(window);
    }
    ~Fixture() { delete window; }
    test::TempSettings settings;
    test::QuietPlatform quiet;
    QPointer<AboutWindow> window;
    QLabel* label(const char* name) { return window->findChild<QLabel*>(QLatin1String(name)); }
    void click(const char* name) {
        QTest::mouseClick(window->findChild<QPushButton*>(name), Qt::LeftButton);
    }
};

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    // The texts, and the icon's tool tip for each value of "nosendlimit".
    void textsAndSendLimitTip() {
        for (const auto& [value, tip] : {std::pair{"yes", "SMS sending limit disabled"},
                                         std::pair{"no", ""}, std::pair{"Yes", ""}}) {
            Fixture f("nosendlimit", value);
            QCOMPARE(f.label("picIcon")->toolTip(), tip);
            QCOMPARE(f.window->windowTitle() + "|" + f.label("lblTitle")->text() + "|" +
                         f.label("lblRelease")->text(),
                     "About Zemble|Zemble v0.4.16 (beta)|Released 22nd May 2003");
        }
    }

    // A left click opens the page; from OK, Tab twice reaches it, and Enter and Space open
    // it.  The text has the room.  OK (Enter) and Escape close and discard the window.
    void linkAndClosing() {
        Fixture f(keys::productHomePage, "http://127.0.0.1/z/");
        QLabel* url = f.label("lblUrl");
        QCOMPARE(url->text(), "http://127.0.0.1/z/");
        QTest::mouseClick(url, Qt::RightButton);
        QTest::mouseClick(url, Qt::LeftButton);
        test::focusAndWait(f.window->findChild<QPushButton*>("cmdOK"));
        test::press("Tab Tab Return Space");
        QCOMPARE(f.quiet.browser.opened, QStringList(3, "http://127.0.0.1/z/"));
        QVERIFY(f.window->isVisible() && f.label("picIcon")->width() < f.window->width() / 5);

        QCOMPARE(AboutWindow::showAbout(f.window), f.window.data());
        QTest::keyClick(f.window, Qt::Key_Escape);
        QTRY_VERIFY(f.window.isNull());
        QPointer<AboutWindow> second = AboutWindow::showAbout(f.window);
        QVERIFY(second && second->isVisible());
        test::focusAndWait(second->findChild<QPushButton*>("cmdOK"));
        test::press("Return");
        QTRY_VERIFY(second.isNull());
    }

    // The real launcher over a PATH holding nothing, then stand-in tools: the
    // first of the list that can run starts, with its arguments.
    void systemInfo() {
        Fixture f;
        QTemporaryDir folder;
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        qputenv("PATH", folder.path().toUtf8());
        f.click("cmdSysInfo");
        const auto& box = f.quiet.messages.asked.value(0);
        QCOMPARE(box.title + "|" + box.text,
                 "Zemble|System Information Is Unavailable At This Time");
        QVERIFY(box.icon == platform::Icon::None && box.buttons == platform::Buttons::Ok);
        QFile started(folder.filePath("started"));
        for (const QString name : {"lshw-gtk", "gnome-control-center", "hardinfo2"}) {
            QFile tool(folder.filePath(name));
            QVERIFY(tool.open(QIODevice::WriteOnly));
            tool.write("#!/bin/sh\necho ${0##*/} \"$@\" >> " + started.fileName().toUtf8() + "\n");
            if (name != "hardinfo2")
                tool.setPermissions(tool.permissions() | QFile::ExeOwner);
        }
        f.click("cmdSysInfo");
        QTRY_VERIFY(started.size() > 0);
        QVERIFY(started.open(QIODevice::ReadOnly));
        QCOMPARE(started.readAll(), "gnome-control-center info-overview\n");
        QCOMPARE(f.quiet.messages.asked.size(), 1);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
