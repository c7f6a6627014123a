// Start-up counted in instructions, from a process's launch to its window's
// first paint and its exit: Zemble's start-up (splash switched off, an
// address book of 100 entries, then the compose window closed as the user
// closes it) beside the floor, a program that shows the same compose form
// through the form compiler and nothing else.  Each run is a process of its
// own under callgrind, so library loading, the platform plug-in and fonts
// count in both.  Also says whether the settings file was written by a start
// and quit that changed nothing (its bytes and modification time).
//
//   QT_QPA_PLATFORM=offscreen ./bench_startup_instructions [rounds]

#include "addressbook/contact_store.h"
#include "compose/main_window.h"
#include "core/settings.h"
#include "shell/single_instance.h"
#include "shell/startup.h"

#include "first_paint.h"
#include "process_run.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

using namespace zemble;

namespace {

QString settingsIn(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("Zemble.ini"));
}

// The program's own start as main() makes it, in `folder`, up to the first
// paint of the compose window; then the window is closed as by its close box.
int zembleChild(int argc, char* argv[], const QString& folder) {
    qInstallMessageHandler(bench::quietHandler);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zemble"));
    QApplication::setQuitOnLastWindowClosed(false);
    setSettingsFilePath(settingsIn(folder));
    QString problem;
    const QString lockFolder = SingleInstance::privateFolder(folder, QString(), &problem);
    SingleInstance only(folder, lockFolder);
    if (!only.claim())
        return 1;
    Program program(folder);
    program.Main();
    const int painted = bench::runUntilFirstPaint(program.composeWindow());
    program.composeWindow()->close();
    return painted;
}

// Instructions of one run of `program` under callgrind, or -1.
double instructions(const QString& valgrind, const QString& program, const QStringList& arguments,
                    const QString& outFolder) {
    QProcess process;
    process.start(valgrind, QStringList{QStringLiteral("--tool=callgrind"),
                                        QStringLiteral("--callgrind-out-file=") +
                                            QDir(outFolder).filePath(QStringLiteral("cg.out"))} +
                                QStringList{program} + arguments);
    if (!process.waitForFinished(300000) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s", process.readAllStandardError().constData());
        return -1;
    }
    const QString log = QString::fromLocal8Bit(process.readAllStandardError());
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Collected : (\\d+)")).match(log);
    return m.hasMatch() ? m.captured(1).toDouble() : -1;
}

struct FileState {
    QByteArray bytes;
    QDateTime modified;
    bool operator==(const FileState&) const = default;
};

FileState stateOf(const QString& path) {
    QFile file(path);
    FileState state;
    if (file.open(QIODevice::ReadOnly))
        state.bytes = file.readAll();
    state.modified = QFileInfo(path).fileTime(QFileDevice::FileModificationTime);
    return state;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 2 && qstrcmp(argv[1], "--child-zemble") == 0)
        return zembleChild(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    const QString valgrind = QStandardPaths::findExecutable(QStringLiteral("valgrind"));
    if (valgrind.isEmpty()) {
        std::fprintf(stderr, "valgrind is needed to count instructions\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString folder = dir.path();
    setSettingsFilePath(settingsIn(folder));
    save_setting(QString::fromLatin1(keys::hideSplashScreen), QStringLiteral("yes"));
    save_setting(QString::fromLatin1(keys::quitConfirm), QStringLiteral("never"));
    // As the first start stores it: a start that finds it so changes nothing.
    save_setting(QString::fromLatin1(keys::sendType), QStringLiteral("0"));
    QByteArray book;
    for (int i = 0; i < 100; ++i)
        book += "Surname" + QByteArray::number(i) + ", Forename;077009" +
                QByteArray::number(10000 + i) + "\r\n";
    QFile contacts(QDir(folder).filePath(QStringLiteral("zemble_contacts.txt")));
    if (!contacts.open(QIODevice::WriteOnly) || contacts.write(book) != book.size())
        return 1;
    contacts.close();

    QList<double> floor;
    QList<double> zemble;
    bool settingsKept = true;
    for (int round = 0; round < rounds; ++round) {
        floor.append(instructions(valgrind, QStringLiteral(ZEMBLE_FORM_FLOOR_PATH), {}, folder));
        const FileState before = stateOf(settingsIn(folder));
        zemble.append(instructions(valgrind, QCoreApplication::applicationFilePath(),
                                   {QStringLiteral("--child-zemble"), folder}, folder));
        settingsKept = settingsKept && stateOf(settingsIn(folder)) == before;
        if (floor.last() < 0 || zemble.last() < 0)
            return 1;
    }
    const double f = bench::median(floor);
    const double z = bench::median(zemble);
    std::printf("launch to first paint and exit, instructions (callgrind), median of %d\n", rounds);
    std::printf("  compose form alone (floor) : %14.0f\n", f);
    std::printf("  Zemble start-up and quit   : %14.0f\n", z);
    std::printf("  ratio Zemble / floor       : %14.2f\n", z / f);
    std::printf("  settings file after %d start%s and quit%s with nothing changed: %s\n", rounds,
                rounds == 1 ? "" : "s", rounds == 1 ? "" : "s",
                settingsKept ? "unchanged (same bytes, same modification time)" : "WRITTEN");
    return 0;
}
