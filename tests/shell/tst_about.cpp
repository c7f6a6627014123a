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

// An About window over a settings file holding at most one value.
struct Fixture {
    explicit Fixture(const char* key = nullptr, const char* value = nullptr) {
        if (key)
            save_setting(key, value);
        window = std::make_unique<AboutWindow>();
    }
    test::TempSettings settings;
    test::QuietPlatform quiet;
    std::unique_ptr<AboutWindow> window;
    QLabel* label(const char* name) { return window->findChild<QLabel*>(QLatin1String(name)); }
    QColor linkColour() { return label("lblUrl")->palette().color(QPalette::WindowText); }
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
            QCOMPARE(f.window->windowTitle() + "|" + f.label("lblTitle")->text(),
                     "About Zemble|Zemble v0.4.16 (beta)");
            QCOMPARE(f.label("lblRelease")->text(), "Released 22nd May 2003");
        }
    }

    // Red under the mouse, dark blue elsewhere; a left click opens the page.  From OK, Tab
    // twice reaches it, red with the caret; Enter and Space open it.  The text has the room.
    void linkToTheConfiguredPage() {
        Fixture f(keys::productHomePage, "http://127.0.0.1/z/");
        f.window->show();
        QLabel* url = f.label("lblUrl");
        QCOMPARE(url->text(), "http://127.0.0.1/z/");
        QCOMPARE(f.linkColour(), QColor(0, 0, 128));
        QTest::mouseMove(url, QPoint(2, 2));
        QCOMPARE(f.linkColour(), QColor(255, 0, 0));
        QTest::mouseMove(f.window.get(), QPoint(1, 1));
        QCOMPARE(f.linkColour(), QColor(0, 0, 128));
        QTest::mouseClick(url, Qt::RightButton);
        QVERIFY(f.quiet.browser.opened.isEmpty());
        QTest::mouseClick(url, Qt::LeftButton);
        QCOMPARE(f.quiet.browser.opened, QStringList{"http://127.0.0.1/z/"});
        test::focus_and_wait(f.window->findChild<QPushButton*>("cmdOK"));
        test::press("Tab Tab Return Space");
        QCOMPARE(f.linkColour(), QColor(255, 0, 0));
        QCOMPARE(f.quiet.browser.opened, QStringList(3, "http://127.0.0.1/z/"));
        QVERIFY(f.window->isVisible() && f.label("picIcon")->width() < f.window->width() / 5);
    }

    // OK (Enter) and Escape close and discard the window; About makes a new one.
    void okDiscardsTheWindowAndAboutReopensOne() {
        test::QuietPlatform quiet;
        QPointer<AboutWindow> open;
        QPointer<AboutWindow> first = AboutWindow::showAbout(open);
        QCOMPARE(AboutWindow::showAbout(open), first.data());
        QTest::keyClick(first, Qt::Key_Return); // OK
        QTRY_VERIFY(first.isNull());
        QPointer<AboutWindow> second = AboutWindow::showAbout(open);
        QVERIFY(second && second->isVisible());
        QTest::keyClick(second, Qt::Key_Escape);
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
        QTest::mouseClick(f.window->findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
        QCOMPARE(f.quiet.messages.asked.size(), 1);
        const auto& box = f.quiet.messages.asked.first();
        QCOMPARE(box.text, "System Information Is Unavailable At This Time");
        QCOMPARE(box.icon, platform::Icon::None);
        QCOMPARE(box.buttons, platform::Buttons::Ok);
        QFile started(folder.filePath("started"));
        for (const QString name : {"lshw-gtk", "gnome-control-center", "hardinfo2"}) {
            QFile tool(folder.filePath(name));
            QVERIFY(tool.open(QIODevice::WriteOnly));
            tool.write("#!/bin/sh\necho ${0##*/} \"$@\" >> " + started.fileName().toUtf8() + "\n");
            if (name != "hardinfo2")
                tool.setPermissions(tool.permissions() | QFile::ExeOwner);
        }
        QTest::mouseClick(f.window->findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
        QTRY_VERIFY(started.size() > 0);
        QVERIFY(started.open(QIODevice::ReadOnly));
        QCOMPARE(started.readAll(), "gnome-control-center info-overview\n");
        QCOMPARE(f.quiet.messages.asked.size(), 1);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
