#include "shell/single_instance.h"
#include "support/files.h"
#include "support/other_user.h"

#include <QLocalSocket>
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
        for (const char* folder : {"bin", "config/Zemble", "data", "run", "tmp"})
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
    // A copy of the program; without a runtime folder XDG_RUNTIME_DIR is unset, and the shared
    // fallback in the temporary folder belongs to another user.
    QProcess* start(bool runtimeFolder = true) {
        auto& copy = started.emplace_back(std::make_unique<QProcess>());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        for (const auto& [variable, folder] : {std::pair{"XDG_CONFIG_HOME", "config"},
                                               {"XDG_DATA_HOME", "data"},
                                               {"XDG_RUNTIME_DIR", "run"},
                                               {"TMPDIR", "tmp"}})
            env.insert(variable, path(folder));
        if (!runtimeFolder)
            env.remove("XDG_RUNTIME_DIR");
        copy->setProcessEnvironment(env);
        copy->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        copy->start(path("bin/zemble"), {});
        return copy->waitForStarted() ? copy.get() : nullptr;
    }
    // The copy holding the profile answers that it has shown its window.
    bool answers(const char* folder = "run") const {
        return SingleInstance(path("config/Zemble"), path(folder)).askRunningCopyToShow(15000);
    }
};

} // namespace

Q_DECLARE_METATYPE(std::optional<int>)

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

    // Without a runtime folder of the user's own, one copy per profile still holds: the lock
    // and the socket go to a folder of the user's alone in the profile's folder.
    void oneCopyWithoutPrivateRuntimeFolder() {
        if (!test::runAsRoot())
            QSKIP("only root can give the shared runtime folder to another user");
        Profile p;
        const QString shared = p.path("tmp/runtime-root");
        QVERIFY(QDir().mkdir(shared));
        test::giveToNobody({shared});
        QProcess* first = p.start(false);
        QVERIFY(first && p.answers("config/Zemble/runtime"));
        QCOMPARE(test::modeOf(p.path("config/Zemble/runtime")), 0700);
        QProcess* second = p.start(false);
        QVERIFY(second && second->waitForFinished(20000));
        QVERIFY(second->exitStatus() == QProcess::NormalExit && second->exitCode() == 0);
        QCOMPARE(first->state(), QProcess::Running);
    }

    // Where the lock goes when the runtime folder will not do, or why it cannot go anywhere.
    void privateFolder_data() {
        QTest::addColumn<std::optional<int>>("runtimeMode"); // none: XDG_RUNTIME_DIR unset
        QTest::addColumn<bool>("profileUsable");
        QTest::addColumn<bool>("folderHad");
        QTest::newRow("group-writable runtime folder") << std::optional(0770) << true << true;
        QTest::newRow("no folder at all") << std::optional<int>() << false << false;
    }
    void privateFolder() {
        QFETCH(std::optional<int>, runtimeMode);
        QFETCH(bool, profileUsable);
        QFETCH(bool, folderHad);
        QTemporaryDir dir;
        const QDir d(dir.path());
        const QString runtime = runtimeMode ? d.filePath("run") : QString(),
                      own = d.filePath("config/runtime");
        QVERIFY(!runtimeMode || (d.mkdir("run") && ::chmod(QFile::encodeName(runtime).constData(),
                                                           mode_t(*runtimeMode)) == 0));
        // A profile folder below a plain file can never be made.
        QFile plain(d.filePath("config"));
        QVERIFY(profileUsable ? d.mkdir("config") : plain.open(QIODevice::WriteOnly));
        QString problem;
        QCOMPARE(SingleInstance::privateFolder(d.filePath("config"), runtime, &problem),
                 folderHad ? own : QString());
        QCOMPARE(problem, folderHad ? QString()
                                    : "XDG_RUNTIME_DIR is not set, and " + own +
                                          " cannot be made yours alone");
        QCOMPARE(test::modeOf(own), folderHad ? 0700 : -1);
    }

    // A caller that streams without a line end, or keeps silent, is dropped; the running copy
    // goes on answering.
    void oversizedOrSilentCallerDropped_data() {
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("a megabyte without a line end") << QByteArray(1 << 20, 'x');
        QTest::newRow("silence") << QByteArray();
    }
    void oversizedOrSilentCallerDropped() {
        QFETCH(QByteArray, sent);
        Profile p;
        QProcess* first = p.start();
        QVERIFY(first && p.answers());
        QLocalSocket caller;
        caller.connectToServer(SingleInstance::socketPath(p.path("config/Zemble"), p.path("run")));
        QVERIFY(caller.waitForConnected(5000));
        caller.write(sent);
        QTRY_COMPARE_WITH_TIMEOUT(caller.state(), QLocalSocket::UnconnectedState, 20000);
        QCOMPARE(caller.readAll(), QByteArray());
        QVERIFY(p.answers());
        QCOMPARE(first->state(), QProcess::Running);
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
