#include "core/file_save.h"
#include "support/files.h"
#include "support/other_user.h"

#include <QtTest>

#include <cerrno>
#include <cstring>
#include <sys/wait.h>

using namespace zemble;
using namespace zemble::test;

namespace {

QString reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool writeWhole(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

enum class Owner { User, AnotherUser };

} // namespace

Q_DECLARE_METATYPE(Owner)
Q_DECLARE_METATYPE(std::optional<int>)

class TestFileSave : public QObject {
    Q_OBJECT
private slots:
    // A save replaces the file whole, or tells the reason and leaves it, nothing beside it.
    void savesWholeOrNotAtAll_data() {
        QTest::addColumn<std::optional<int>>("roomOnDisk"); // bytes the file may grow to
        QTest::addColumn<int>("size");
        QTest::newRow("room enough") << std::optional<int>() << 300000;
        QTest::newRow("disk fills in the middle") << std::optional<int>(40000) << 300000;
    }
    void savesWholeOrNotAtAll() {
        QFETCH(std::optional<int>, roomOnDisk);
        QFETCH(int, size);
        QTemporaryDir dir;
        const QString path = dir.filePath("f.txt");
        QVERIFY(writeWhole(path, "old"));
        const QByteArray content(size, 'x');
        const auto save = [&] { return saveFile(path, content); };
        const std::optional<QString> failure =
            roomOnDisk ? withFileSizeLimit(rlim_t(*roomOnDisk), save) : save();
        QCOMPARE(failure.value_or(QString()), roomOnDisk ? reason(EFBIG) : QString());
        QCOMPARE(readWhole(path), failure ? QByteArray("old") : content);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"f.txt"});
    }

    // Files and folders made owner-only even under a umask that opens everything; a folder
    // that was there keeps its mode.
    void ownerOnly() {
        const ScopedUmask openToAll{0};
        QTemporaryDir dir;
        const QString old = dir.filePath("old.txt"), folder = dir.filePath("new/inner");
        QVERIFY(writeWhole(old, ""));
        QVERIFY(chmod(qPrintable(old), 0644) == 0 && chmod(qPrintable(dir.path()), 0755) == 0);
        QVERIFY(!saveFile(old, "x") && !saveFile(dir.filePath("new.txt"), "x"));
        QVERIFY(makePrivateFolder(folder) && makePrivateFolder(folder));
        QCOMPARE(modeOf(old), 0600);
        QCOMPARE(modeOf(dir.filePath("new.txt")), 0600);
        QCOMPARE(modeOf(dir.filePath("new")), 0700);
        QCOMPARE(modeOf(folder), 0700);
        QCOMPARE(modeOf(dir.path()), 0755);
    }

    // A place that cannot hold the file is told with the folder and the system's reason.
    void aPlaceThatCannotHoldTheFileIsTold() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("folder");
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        QCOMPARE(saveFile(dir.filePath("no/such/folder.txt"), "x"),
                 "Cannot write to the folder " + dir.filePath("no/such") + ": " + reason(ENOENT));
        QVERIFY(saveFile(folder, "x").has_value()); // a folder in its place
    }

    // A link is followed only when it and the file it leads to are the user's own: the file is
    // then rewritten in its own folder and the link stays a link.  Any other link is refused by
    // name and nothing changes.
    void followsOnlyTheUsersOwnLinks_data() {
        QTest::addColumn<Owner>("link");
        QTest::addColumn<Owner>("target");
        QTest::newRow("own link to an own file elsewhere") << Owner::User << Owner::User;
        QTest::newRow("another user's link to an own file") << Owner::AnotherUser << Owner::User;
        QTest::newRow("own link to another user's file") << Owner::User << Owner::AnotherUser;
    }
    void followsOnlyTheUsersOwnLinks() {
        QFETCH(Owner, link);
        QFETCH(Owner, target);
        const bool foreign = link == Owner::AnotherUser || target == Owner::AnotherUser;
        if (foreign && !runAsRoot())
            QSKIP("giving a file or link to another user needs the tests to run as root");
        QTemporaryDir programDir, syncedDir;
        const QString linkPath = programDir.filePath("zemble_contacts.txt"),
                      targetPath = syncedDir.filePath("contacts.txt");
        QVERIFY(writeWhole(targetPath, "old"));
        // The target is named relative to the link's folder, as links often are.
        const QString relative = QDir(programDir.path()).relativeFilePath(targetPath);
        QVERIFY(QFile::link(relative, linkPath));
        if (link == Owner::AnotherUser)
            QVERIFY(lchown(qPrintable(linkPath), nobodyUid(), gid_t(-1)) == 0);
        if (target == Owner::AnotherUser)
            giveToNobody({targetPath});

        const std::optional<QString> failure = saveFile(linkPath, "new");

        QCOMPARE(failure.value_or(QString()),
                 foreign ? "The link " + linkPath +
                               " is not followed: it, or the file it leads to, belongs to another "
                               "user"
                         : QString());
        QCOMPARE(QFileInfo(linkPath).symLinkTarget(), targetPath);
        QCOMPARE(readWhole(targetPath), foreign ? "old" : "new");
        QCOMPARE(
            QDir(programDir.path())
                .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"zemble_contacts.txt"});
        QCOMPARE(QDir(syncedDir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"contacts.txt"});
    }

    // While one process holds a file's lock another waits, and after the wait is told which lock
    // kept it out.  A holder that is killed leaves its lock file, which keeps nobody out; the
    // lock file goes when the lock is let go.
    void lockKeepsOtherProcessesOutUntilItsHolderEnds() {
        QTemporaryDir dir;
        const QString path = dir.filePath("sent.log"), lockPath = path + ".lock";
        int ready[2];
        QVERIFY(pipe(ready) == 0);
        const pid_t holder = fork();
        if (holder == 0) {
            const FileLock lock(path, std::chrono::milliseconds(0));
            const char held = lock.failure() ? 'n' : 'y';
            if (write(ready[1], &held, 1) == 1)
                pause();
            _exit(1);
        }
        QVERIFY(holder > 0);
        char held = 0;
        QVERIFY(read(ready[0], &held, 1) == 1);
        QCOMPARE(held, 'y');
        {
            const FileLock waiting(path, std::chrono::milliseconds(300));
            QCOMPARE(waiting.failure().value_or(QString()),
                     "The file is in use: another program has held " + lockPath +
                         " for more than 0.3 seconds");
        }
        QVERIFY(kill(holder, SIGKILL) == 0 && waitpid(holder, nullptr, 0) == holder);
        QVERIFY(QFile::exists(lockPath));
        {
            const FileLock next(path, std::chrono::milliseconds(300));
            QCOMPARE(next.failure().value_or(QString()), QString());
        }
        QVERIFY(!QFile::exists(lockPath));
    }
};

QTEST_GUILESS_MAIN(TestFileSave)
#include "tst_file_save.moc"
