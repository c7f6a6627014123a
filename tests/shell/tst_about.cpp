#include "shell/about_window.h"

#include "core/settings.h"
#include "prefs_about_doubles.h"
#include "support/doubles.h"
#include "support/system_info_double.h"
#include "support/temp_settings.h"

#include <QEnterEvent>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace zemble;

namespace {

struct Fixture {
    test::TempSettings settings;
    test::QuietPlatform quiet;
    test::prefs::RecordingBrowser browser;
    test::RecordingSystemInfo sysInfo;
    platform::ScopedService<platform::WebBrowserService> browserGuard{&browser};
    platform::ScopedService<platform::SystemInfoService> sysInfoGuard{&sysInfo};
};

QLabel* label(QWidget* window, const char* name) {
    auto* found = window->findChild<QLabel*>(QLatin1String(name));
    if (!found)
        qFatal("no label %s", name);
    return found;
}

QColor text_colour(QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void texts() {
        Fixture f;
        AboutWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("About Zemble"));
        QCOMPARE(label(&window, "lblTitle")->text(), QStringLiteral("Zemble v0.4.16 (beta)"));
        QCOMPARE(label(&window, "lblRelease")->text(), QStringLiteral("Released 22nd May 2003"));
        QCOMPARE(label(&window, "lblDescription")->text(),
                 QStringLiteral("Sends text messages via the O2 SMS service. Supports multiple "
                                "recipients,  message spanning and address book functionality. "
                                "Download the latest version at:"));
        QVERIFY(label(&window, "lblDisclaimer")->text().endsWith(QStringLiteral("No warranty.")));
        QCOMPARE(label(&window, "lblUrl")->text(), QStringLiteral("http://www.zemble.co.uk/"));
        QCOMPARE(window.findChild<QPushButton*>("cmdSysInfo")->text(),
                 QStringLiteral("&System Info..."));
    }

    void sendLimitTip_data() {
        QTest::addColumn<QString>("nosendlimit");
        QTest::addColumn<QString>("tip");
        QTest::newRow("yes") << "yes"
                             << "SMS sending limit disabled";
        QTest::newRow("no") << "no"
                            << "";
        QTest::newRow("Yes is not yes") << "Yes"
                                        << "";
        QTest::newRow("absent") << QString() << "";
    }
    void sendLimitTip() {
        QFETCH(QString, nosendlimit);
        QFETCH(QString, tip);
        Fixture f;
        if (!nosendlimit.isNull())
            save_setting(QStringLiteral("nosendlimit"), nosendlimit);
        AboutWindow window;
        QCOMPARE(label(&window, "picIcon")->toolTip(), tip);
        QVERIFY(!label(&window, "picIcon")->pixmap().isNull());
    }

    void linkColoursFollowTheMouse() {
        Fixture f;
        AboutWindow window;
        window.show();
        QLabel* url = label(&window, "lblUrl");
        const QColor darkBlue(0, 0, 128);
        const QColor red(255, 0, 0);
        QCOMPARE(text_colour(url), darkBlue);
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QCoreApplication::sendEvent(url, &enter);
        QCOMPARE(text_colour(url), red);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(url, &leave);
        QCOMPARE(text_colour(url), darkBlue);
        QMouseEvent overLink(QEvent::MouseMove, QPointF(2, 2), url->mapToGlobal(QPointF(2, 2)),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(url, &overLink);
        QCOMPARE(text_colour(url), red);
        QMouseEvent overWindow(QEvent::MouseMove, QPointF(1, 1), window.mapToGlobal(QPointF(1, 1)),
                               Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &overWindow);
        QCOMPARE(text_colour(url), darkBlue);
    }

    void clickOpensTheConfiguredPage() {
        Fixture f;
        save_setting(QLatin1String(keys::productHomePage), QStringLiteral("http://127.0.0.1/z/"));
        AboutWindow window;
        window.show();
        QLabel* url = label(&window, "lblUrl");
        QCOMPARE(url->text(), QStringLiteral("http://127.0.0.1/z/"));
        QVERIFY(f.browser.opened.isEmpty());
        QTest::mouseClick(url, Qt::LeftButton);
        QCOMPARE(f.browser.opened, QStringList{"http://127.0.0.1/z/"});
        QTest::mouseClick(url, Qt::RightButton);
        QCOMPARE(f.browser.opened.size(), 1);
    }

    void systemInfo_data() {
        QTest::addColumn<bool>("available");
        QTest::newRow("tool found") << true;
        QTest::newRow("no tool") << false;
    }
    void systemInfo() {
        QFETCH(bool, available);
        Fixture f;
        f.sysInfo.toolAvailable = available;
        AboutWindow window;
        QTest::mouseClick(window.findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
        QCOMPARE(f.sysInfo.starts, 1);
        QCOMPARE(f.quiet.messages.asked.size(), available ? 0 : 1);
        if (!available) {
            const auto& box = f.quiet.messages.asked.first();
            QCOMPARE(box.text, QStringLiteral("System Information Is Unavailable At This Time"));
            QCOMPARE(box.icon, platform::Icon::None);
            QCOMPARE(box.buttons, platform::Buttons::Ok);
        }
    }

    void okDiscardsTheWindowAndAboutReopensOne() {
        Fixture f;
        QPointer<AboutWindow> first = AboutWindow::showAbout();
        QVERIFY(first->isVisible());
        QCOMPARE(AboutWindow::showAbout(), first.data());
        QTest::mouseClick(first->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        QTRY_VERIFY(first.isNull());
        QPointer<AboutWindow> second = AboutWindow::showAbout();
        QVERIFY(second);
        QVERIFY(second->isVisible());
        second->close();
        QTRY_VERIFY(second.isNull());
    }

    // The real launcher over a PATH holding only a stand-in tool, or nothing.
    void realLauncher_data() {
        QTest::addColumn<bool>("installed");
        QTest::newRow("stand-in settings panel") << true;
        QTest::newRow("nothing installed") << false;
    }
    void realLauncher() {
        QFETCH(bool, installed);
        test::TempSettings settings;
        test::QuietPlatform quiet;
        QTemporaryDir folder;
        const QString marker = folder.filePath("started");
        if (installed) {
            QFile tool(folder.filePath("gnome-control-center"));
            QVERIFY(tool.open(QIODevice::WriteOnly));
            tool.write(QStringLiteral("#!/bin/sh\necho \"$@\" > '%1'\n").arg(marker).toUtf8());
            tool.close();
            tool.setPermissions(tool.permissions() | QFile::ExeOwner);
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", folder.path().toUtf8());
        AboutWindow window;
        QTest::mouseClick(window.findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
        qputenv("PATH", path);
        QCOMPARE(quiet.messages.asked.size(), installed ? 0 : 1);
        if (installed) {
            QTRY_VERIFY(QFileInfo(marker).size() > 0);
            QFile started(marker);
            QVERIFY(started.open(QIODevice::ReadOnly));
            QCOMPARE(started.readAll().trimmed(), QByteArray("info-overview"));
        }
    }

    // The lookup of installed tools over a folder made to look like the PATH.
    void installedTools_data() {
        QTest::addColumn<QStringList>("executables");
        QTest::addColumn<QStringList>("plainFiles");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QStringList>("firstArguments");
        QTest::newRow("none") << QStringList() << QStringList() << QStringList() << QStringList();
        QTest::newRow("kinfocenter") << QStringList{"kinfocenter"} << QStringList()
                                     << QStringList{"kinfocenter"} << QStringList();
        QTest::newRow("list order wins")
            << QStringList{"lshw-gtk", "gnome-control-center", "hardinfo"} << QStringList()
            << QStringList{"hardinfo", "gnome-control-center", "lshw-gtk"} << QStringList();
        QTest::newRow("settings panel")
            << QStringList{"gnome-control-center"} << QStringList()
            << QStringList{"gnome-control-center"} << QStringList{"info-overview"};
        QTest::newRow("not executable")
            << QStringList() << QStringList{"hardinfo2"} << QStringList() << QStringList();
    }
    void installedTools() {
        QFETCH(QStringList, executables);
        QFETCH(QStringList, plainFiles);
        QFETCH(QStringList, found);
        QFETCH(QStringList, firstArguments);
        QTemporaryDir folder;
        for (const QString& name : executables + plainFiles) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\n");
            file.close();
            if (executables.contains(name))
                file.setPermissions(file.permissions() | QFile::ExeOwner);
        }
        const auto tools = platform::installed_system_info_tools({folder.path()});
        QStringList names;
        for (const auto& tool : tools) {
            QVERIFY(tool.program.startsWith(folder.path() + u'/'));
            names.append(QFileInfo(tool.program).fileName());
        }
        QCOMPARE(names, found);
        if (!tools.isEmpty())
            QCOMPARE(tools.first().arguments, firstArguments);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
