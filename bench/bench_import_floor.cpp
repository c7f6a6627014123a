// The CSV import of 10,000 lines beside the floor it cannot go below: the
// line splitter alone, splitting the same lines.  The import runs through the
// same path as the Import Options window's OK, with the real progress window,
// into an emptied address book (Overwrite); the pause after each record and
// the one at the end are switched off here only.  Prints milliseconds per run
// (wall clock and processor time, medians) and the ratio of the medians.
// ZEMBLE_BENCH_RECORDS sets another number of lines.

#include "addressbook/access_window.h"
#include "addressbook/contact_import.h"
#include "addressbook/contact_store.h"
#include "addressbook/csv_import.h"

#include "outlook_csv.h"
#include "quiet_platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

using namespace zemble;
using namespace zemble::bench;

namespace {

const int kLines = qEnvironmentVariableIsSet("ZEMBLE_BENCH_RECORDS")
                       ? qEnvironmentVariableIntValue("ZEMBLE_BENCH_RECORDS")
                       : 10000;
constexpr int kRounds = 7;

struct Timing {
    double wallMs = 0;
    double cpuMs = 0;
};

struct Samples {
    QList<double> wall;
    QList<double> cpu;
    Timing medians() {
        std::sort(wall.begin(), wall.end());
        std::sort(cpu.begin(), cpu.end());
        return {wall.at(wall.size() / 2), cpu.at(cpu.size() / 2)};
    }
};

void timeOnce(const std::function<void()>& step, Samples& samples) {
    QElapsedTimer timer;
    const std::clock_t cpuStart = std::clock();
    timer.start();
    step();
    samples.wall.append(double(timer.nsecsElapsed()) / 1e6);
    samples.cpu.append(1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC);
}

void print(const char* what, const Timing& t) {
    std::printf("  %-34s wall median %8.1f ms; cpu median %8.1f ms\n", what, t.wallMs, t.cpuMs);
}

// The headless platform warns about every window it cannot raise; keep the
// figures readable.
void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtWarningMsg || !text.startsWith(QLatin1String("This plugin does not support")))
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    setContactsFolder(dir.path());
    QuietPlatform quiet;
    AccessWindow access;

    const QByteArray bytes = outlookCsvFile(kLines, Street::OneLine);
    quiet.file.path = dir.filePath(QStringLiteral("contacts.csv"));
    QFile out(quiet.file.path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return 1;
    out.close();

    // The floor: the same lines, already in memory as text, split one by one.
    const QString text = importFileText(bytes);
    QList<QStringView> lines;
    for (CsvRecords records(text); !records.atEnd();)
        lines.append(records.next());
    lines.removeFirst(); // the header
    qsizetype kept = 0;
    const auto split = [&] {
        CsvFields fields;
        for (const QStringView line : lines) {
            splitCsvLine(line, fields);
            kept += fields[kCsvMobile].size();
        }
    };
    bool right = true;
    const auto import = [&] {
        const ImportResult result = importContacts(ImportSource::CsvFile, false, access);
        right = right && result.added == kLines;
    };
    // Taken in turns, so that both see the machine as it is at the time.
    Samples floorSamples;
    Samples importSamples;
    for (int round = 0; round < kRounds; ++round) {
        timeOnce(split, floorSamples);
        timeOnce(import, importSamples);
    }
    const Timing floor = floorSamples.medians();
    const Timing imported = importSamples.medians();
    if (!right || kept == 0) {
        std::fprintf(stderr, "the import did not take every line\n");
        return 1;
    }

    std::printf("CSV import of %d lines (%lld bytes), record pauses off, %d runs each\n", kLines,
                static_cast<long long>(bytes.size()), kRounds);
    print("line splitter alone (floor)", floor);
    print("import, Overwrite", imported);
    std::printf("  ratio import / floor               wall %8.1f x     cpu %8.1f x\n",
                imported.wallMs / floor.wallMs, imported.cpuMs / floor.cpuMs);
    return 0;
}
