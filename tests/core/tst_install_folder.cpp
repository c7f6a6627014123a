#include "core/install_folder.h"

#include <QtTest>

using namespace zemble;

class TestInstallFolder : public QObject {
    Q_OBJECT
private slots:
    // The program's folder is matched against the install folder by what it is, not by how it
    // is written.  The folders live in a temporary root: "prefix/bin" is the install folder and
    // "bin" a symbolic link to it, as /bin is to /usr/bin on a merged /usr system.
    void matchesTheInstallFolderHoweverWritten_data() {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<bool>("installed");
        QTest::newRow("the install folder") << "prefix/bin" << true;
        QTest::newRow("a symbolic link to it") << "bin" << true;
        QTest::newRow("written with dot-dot") << "prefix/share/../bin" << true;
        QTest::newRow("a build folder") << "build/src" << false;
        QTest::newRow("a folder inside it") << "prefix/bin/tools" << false;
        QTest::newRow("the prefix above it") << "prefix" << false;
    }
    void matchesTheInstallFolderHoweverWritten() {
        QFETCH(QString, programFolder);
        QFETCH(bool, installed);
        QTemporaryDir root;
        const QDir dir(root.path());
        for (const char* folder : {"prefix/bin/tools", "prefix/share", "build/src"})
            QVERIFY(dir.mkpath(folder));
        QVERIFY(QFile::link(dir.filePath("prefix/bin"), dir.filePath("bin")));

        QCOMPARE(isInstallFolder(dir.filePath(programFolder), dir.filePath("prefix/bin")),
                 installed);
    }

    // No folder is no install folder, nor is anything when the install folder is missing, nor a
    // missing folder against itself: a folder that is not there holds no program.
    void missingFoldersNeverMatch() {
        QTemporaryDir root;
        const QString missing = QDir(root.path()).filePath("usr/bin");
        QVERIFY(!isInstallFolder(QString(), root.path()));
        QVERIFY(!isInstallFolder(missing, missing));
        QVERIFY(!isInstallFolder(root.path(), QString()));
    }
};

QTEST_GUILESS_MAIN(TestInstallFolder)
#include "tst_install_folder.moc"
