// The address book with one very long line: the time to load it and the
// peak memory of the process that loads it, against the file's size.  Each
// case runs in a process of its own (peak memory only ever grows), for a
// long name of an entry and for a long line without ";".  Sizes in MiB as
// arguments; 64 and 256 by default.

#include "addressbook/contact_store.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>

using namespace zemble;

namespace {

constexpr qint64 kMiB = 1024 * 1024;

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Writes the book in blocks, so that writing it costs no memory of note.
bool writeBook(const QString& path, qint64 size, bool entry) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("Anna;07700900001\r\n") < 0)
        return false;
    const QByteArray block(kMiB, entry ? 'x' : 'y');
    for (qint64 left = size; left > 0; left -= block.size()) {
        if (file.write(block.left(qMin(left, block.size()))) < 0)
            return false;
    }
    return file.write(entry ? ";07700900002\r\n" : "\r\n") > 0;
}

// One case, in this process: prints the wall and processor time of the load
// and the peak memory before and after it.
int loadOnce(const QString& kind, qint64 size) {
    QTemporaryDir dir;
    if (!writeBook(dir.filePath("zemble_contacts.txt"), size, kind == QLatin1String("entry")))
        return 1;
    setContactsFolder(dir.path());
    const long before = peakKiB();
    QElapsedTimer wall;
    wall.start();
    const std::clock_t cpu = std::clock();
    load_contacts();
    const double cpuMs = 1000.0 * double(std::clock() - cpu) / CLOCKS_PER_SEC;
    std::printf("%lld %.0f %ld %ld %d\n", wall.elapsed(), cpuMs, before, peakKiB(),
                int(contacts().count));
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--once"))
        return loadOnce(args.at(2), args.at(3).toLongLong());

    QList<qint64> sizes;
    for (const QString& arg : args.mid(1))
        sizes.append(arg.toLongLong());
    if (sizes.isEmpty())
        sizes = {64, 256};
    std::printf("%-30s %8s %10s %10s %12s %8s\n", "line", "MiB", "wall ms", "cpu ms", "peak MiB",
                "peak/size");
    for (const char* kind : {"entry", "plain"}) {
        for (const qint64 mib : sizes) {
            QProcess child;
            child.start(
                QCoreApplication::applicationFilePath(),
                {QStringLiteral("--once"), QLatin1String(kind), QString::number(mib * kMiB)});
            if (!child.waitForFinished(-1) || child.exitCode() != 0) {
                std::printf("%s %lld MiB: the run failed\n", kind, mib);
                continue;
            }
            const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
            const double peak = f.value(3).toDouble() / 1024.0;
            std::printf("%-30s %8lld %10s %10s %12.0f %8.2f\n",
                        qstrcmp(kind, "entry") == 0 ? "a long name of an entry"
                                                    : "a long line without \";\"",
                        mib, f.value(0).constData(), f.value(1).constData(), peak,
                        peak / double(mib));
            std::fflush(stdout);
        }
    }
    return 0;
}
