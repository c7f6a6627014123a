#include "core/file_save.h"
#include "support/files.h"

#include <QtTest>

#include <cerrno>
#include <cstring>

using namespace zemble;

namespace {

QString reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

class TestFileSave : public QObject {
    Q_OBJECT
private slots:
    // A save replaces the file whole, or tells the reason and leaves it, nothing beside it.
    // A row is "bytes the file may grow to (-1: no limit) size".
    void savesWholeOrNotAtAll_data() {
        QTest::addColumn<QString>("row");
        for (const char* row : {"-1 300000", "40000 300000", "5 10", "0 10"})
            QTest::newRow(row) << QString(row);
    }
    void savesWholeOrNotAtAll() {
        QFETCH(QString, row);
        const int room = row.section(u' ', 0, 0).toInt(), size = row.section(u' ', 1).toInt();
        QTemporaryDir dir;
        QFile file(dir.filePath("f.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old") == 3);
        file.close();
        const QByteArray content(size, 'x');
        const auto save = [&] { return saveFile(file.fileName(), content); };
        const std::optional<QString> failure =
            room < 0 ? save() : test::withFileSizeLimit(rlim_t(room), save);
        QCOMPARE(failure.value_or(QString()), room < 0 ? QString() : reason(EFBIG));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), failure ? QByteArray("old") : content);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"f.txt"});
    }

    // Files and folders made owner-only whatever the umask; a folder that was there keeps its
    // mode.  A place that cannot hold the file is told with the system's reason.
    void ownerOnly_data() {
        QTest::addColumn<int>("mask");
        QTest::newRow("umask 000") << 0, QTest::newRow("umask 022") << 022;
    }
    void ownerOnly() {
        QFETCH(int, mask);
        const test::ScopedUmask scoped{mode_t(mask)};
        QTemporaryDir dir;
        const QString old = dir.filePath("old.txt"), folder = dir.filePath("new/inner");
        QFile file(old);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(chmod(qPrintable(old), 0644) == 0 && chmod(qPrintable(dir.path()), 0755) == 0);
        QVERIFY(!saveFile(old, "x") && !saveFile(dir.filePath("new.txt"), "x"));
        QVERIFY(makePrivateFolder(folder) && makePrivateFolder(folder));
        QCOMPARE(test::modeOf(old), 0600);
        QCOMPARE(test::modeOf(dir.filePath("new.txt")), 0600);
        QCOMPARE(test::modeOf(dir.filePath("new")), 0700);
        QCOMPARE(test::modeOf(folder), 0700);
        QCOMPARE(test::modeOf(dir.path()), 0755);
        QCOMPARE(saveFile(dir.filePath("no/such/folder.txt"), "x"), reason(ENOENT));
        QVERIFY(saveFile(folder, "x").has_value()); // a folder in its place
    }
};

QTEST_GUILESS_MAIN(TestFileSave)
#include "tst_file_save.moc"
