#include "shell/single_instance.h"

#include <QtTest>

#include <csignal>
#include <memory>
#include <sys/prctl.h>

using namespace zemble;

namespace {

// A throwaway profile and a copy of the program; every copy started dies with it or the test.
struct Profile {
    QTemporaryDir dir;
    std::vector<std::unique_ptr<QProcess>> started;
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    Profile() {
        for (const char* folder : {"bin", "config/Zemble", "data", "run"})
            QDir(dir.path()).mkpath(QLatin1String(folder));
        QFile::setPermissions(path("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::copy(ZEMBLE_PROGRAM_PATH, path("bin/zemble"));
        QFile settings(path("config/Zemble/Zemble.ini")), book(path("bin/zemble_contacts.txt"));
        if (!settings.open(QIODevice::WriteOnly) || !book.open(QIODevice::WriteOnly))
            qFatal("cannot write the profile");
        settings.write("[settings]\nhidesplashscreen=yes\nwispusername=a\n");
        book.write("Alpha;07700900001\r\n");
    }
    // What the program keeps of the profile: settings and address book, bytes and times.
    QString kept() const {
        QString out;
        for (const char* name : {"config/Zemble/Zemble.ini", "bin/zemble_contacts.txt"}) {
            QFile file(path(name));
            out += (file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray()) +
                   QFileInfo(file).lastModified().toString(Qt::ISODateWithMs);
        }
        return out;
    }
    QProcess* start() {
        auto& copy = started.emplace_back(std::make_unique<QProcess>());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        for (const auto& [variable, folder] : {std::pair{"XDG_CONFIG_HOME", "config"},
                                               {"XDG_DATA_HOME", "data"},
                                               {"XDG_RUNTIME_DIR", "run"}})
            env.insert(variable, path(folder));
        copy->setProcessEnvironment(env);
        copy->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        copy->start(path("bin/zemble"), {});
        return copy->waitForStarted() ? copy.get() : nullptr;
    }
    // The copy holding the profile answers that it has shown its window.
    bool answers() const {
        return SingleInstance(path("config/Zemble"), path("run")).askRunningCopyToShow(15000);
    }
};

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    // A second start shows the first and leaves with 0, writing nothing; a stale lock is taken.
    void oneCopyPerProfile() {
        Profile p;
        QProcess* first = p.start();
        QVERIFY(first && p.answers());
        const QString kept = p.kept();
        QProcess* second = p.start();
        QVERIFY(second && second->waitForFinished(20000));
        QVERIFY(second->exitStatus() == QProcess::NormalExit && second->exitCode() == 0);
        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(p.kept(), kept);

        first->kill();
        QVERIFY(first->waitForFinished());
        QVERIFY(QFile::exists(SingleInstance::lockPath(p.path("config/Zemble"), p.path("run"))));
        QProcess* third = p.start();
        QVERIFY(third && p.answers());
        QCOMPARE(third->state(), QProcess::Running);
        third->kill();
        QVERIFY(third->waitForFinished());

        // The demo's profile and a normal one run side by side; a folder is one however written.
        QTemporaryDir run;
        SingleInstance normal("/home/u/.config/Zemble", run.path());
        SingleInstance demo("/home/u/zemble/build/demo/config/Zemble", run.path());
        QVERIFY(normal.claim() && demo.claim());
        QVERIFY(!SingleInstance("/home/u/.config/./Zemble/", run.path()).claim());
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
