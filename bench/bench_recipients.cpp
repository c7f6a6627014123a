// Resolving recipients with `zemble-send --dry-run`, as a process of its own:
// numbers only with an empty address book (1,000, 10,000, 100,000), beside
// awk taking out the repeated numbers of the same list, and names typed whole
// against a full address book (32,759 contacts).  Runs alternate; prints the
// medians of wall clock and the ratio.
//
// usage: bench_recipients [RUNS [ZEMBLE-SEND]]   (default 5, the one built)

#include "addressbook/contact_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#ifndef ZEMBLE_SEND_PATH
#define ZEMBLE_SEND_PATH ""
#endif

namespace {

double median(QList<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms.isEmpty() ? 0 : ms[ms.size() / 2];
}

// Milliseconds from start to exit of one process; -1 when it failed.
double timedRun(const QString& program, const QStringList& arguments,
                const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     process.readAllStandardError().left(400).constData());
        return -1;
    }
    return double(clock.nsecsElapsed()) / 1e6;
}

// The entries as arguments of at most 5,000 entries each, joined by ";", so
// that a long list stays within the system's limit for one argument.
QStringList asArguments(const QStringList& entries) {
    QStringList arguments;
    for (qsizetype i = 0; i < entries.size(); i += 5000)
        arguments.append(entries.mid(i, 5000).join(u';'));
    return arguments;
}

QString number(int i) {
    return QStringLiteral("07700%1").arg(i, 6, 10, QLatin1Char('0'));
}

QString contactName(int i) {
    return QStringLiteral("Surname%1, Forename%2").arg(i, 5, 10, QLatin1Char('0')).arg(i % 97);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5;
    const QString built =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(ZEMBLE_SEND_PATH);
    if (built.isEmpty()) {
        std::fprintf(stderr, "zemble-send was not built\n");
        return 1;
    }
    // Two copies of zemble-send, each in a folder of its own, so each has an
    // address book of its own: an empty one and a full one.
    QTemporaryDir emptyDir;
    QTemporaryDir fullDir;
    const QString emptyProgram = emptyDir.filePath(QStringLiteral("zemble-send"));
    const QString fullProgram = fullDir.filePath(QStringLiteral("zemble-send"));
    if (!QFile::copy(built, emptyProgram) || !QFile::copy(built, fullProgram)) {
        std::fprintf(stderr, "zemble-send could not be copied\n");
        return 1;
    }
    QByteArray book;
    for (int i = 0; i < zemble::kMaxContacts; ++i)
        book += (contactName(i) + u';' + number(i) + QStringLiteral("\r\n")).toLatin1();
    QFile bookFile(fullDir.filePath(QStringLiteral("zemble_contacts.txt")));
    if (!bookFile.open(QIODevice::WriteOnly) || bookFile.write(book) != book.size())
        return 1;
    bookFile.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), emptyDir.filePath(QStringLiteral("cfg")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), emptyDir.filePath(QStringLiteral("data")));
    const QStringList message{QStringLiteral("--dry-run"), QStringLiteral("-m"),
                              QStringLiteral("Hello")};

    std::printf("zemble-send --dry-run, median of %d runs, wall ms\n", runs);
    std::printf("%-48s %10s %10s %7s\n", "", "zemble", "floor", "ratio");
    for (const int count : {1000, 10000, 100000}) {
        QStringList entries;
        QByteArray lines;
        for (int i = 0; i < count; ++i) {
            entries.append(number(i % (count / 2 + 1)));
            lines += entries.last().toLatin1() + '\n';
        }
        const QString listPath = emptyDir.filePath(QStringLiteral("numbers.txt"));
        QFile list(listPath);
        if (!list.open(QIODevice::WriteOnly) || list.write(lines) != lines.size())
            return 1;
        list.close();
        QList<double> zemble, floor;
        for (int run = 0; run < runs; ++run) {
            zemble.append(timedRun(emptyProgram, message + asArguments(entries), environment));
            floor.append(timedRun(QStringLiteral("awk"), {QStringLiteral("!seen[$0]++"), listPath},
                                  environment));
        }
        const QByteArray what =
            QStringLiteral("%1 numbers, empty book (floor: awk de-dup)").arg(count).toLatin1();
        std::printf("%-48s %10.1f %10.1f %6.1fx\n", what.constData(), median(zemble), median(floor),
                    median(zemble) / std::max(0.01, median(floor)));
    }
    for (const int count : {1, 1000}) {
        QStringList names;
        for (int i = 0; i < count; ++i)
            names.append(contactName(zemble::kMaxContacts - 1 - i * 31));
        QList<double> zemble;
        for (int run = 0; run < runs; ++run)
            zemble.append(timedRun(fullProgram, message + asArguments(names), environment));
        const QByteArray what =
            QStringLiteral("%1 names, %2 contacts").arg(count).arg(zemble::kMaxContacts).toLatin1();
        std::printf("%-48s %10.1f\n", what.constData(), median(zemble));
    }
    std::printf("(names: the time of 1,000 less that of 1 is the resolving itself)\n");
    return 0;
}
