// Times the contact import of 30,000 records, from a CSV file in the mail
// program's Windows layout (a multi-line quoted address in every record) and
// from a vCard 3.0 file (folded and quoted-printable lines), through the same
// path as the Import Options window's OK, into an emptied address book
// (Overwrite) and into one that holds them all already (Append).  The pause
// after each record and the one at the end are switched off here only; the
// progress window is the real one.  Prints milliseconds per run (wall clock
// median, and median processor time) and microseconds per record.
// ZEMBLE_BENCH_RECORDS sets another number of records.

#include "addressbook/access_window.h"
#include "addressbook/contact_import.h"
#include "addressbook/contact_store.h"
#include "platform/service.h"

#include "outlook_csv.h"
#include "quiet_platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace zemble;
using namespace zemble::bench;

namespace {

const int kRecords = qEnvironmentVariableIsSet("ZEMBLE_BENCH_RECORDS")
                         ? qEnvironmentVariableIntValue("ZEMBLE_BENCH_RECORDS")
                         : 30000;

QByteArray number(int i) {
    return QByteArray::number(10000 + i % 90000);
}

QByteArray vcardFile() {
    QByteArray bytes;
    for (int i = 0; i < kRecords; ++i) {
        const QByteArray n = QByteArray::number(i);
        bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Surname" + n + "\\, Jr.;Forename" + n +
                 ";;;\r\nFN:Forename" + n + " Surname" + n + "\r\nADR;TYPE=WORK:;;" + n +
                 " High Street\\nSecond Floor;Leeds;;LS1 1AA;\r\n"
                 " United Kingdom\r\nNOTE;ENCODING=QUOTED-PRINTABLE:Met at the caf=C3=A9 =\r\n"
                 "on Monday\r\nTEL;TYPE=HOME:0113 496 0000\r\nTEL;TYPE=CELL:+44 7700 9" +
                 number(i) + "\r\nEND:VCARD\r\n";
    }
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

// Times imports of `source` with each mode; false when a run took the wrong
// number of records.  Three runs each: one import of this size takes seconds.
bool timeImports(const char* what, ImportSource source, AccessWindow& access) {
    constexpr int kImportRuns = 3;
    bool right = true;
    for (const bool append : {false, true}) {
        QList<double> ms;
        QList<double> cpu;
        for (int run = 0; run < kImportRuns; ++run) {
            QElapsedTimer timer;
            const std::clock_t cpuStart = std::clock();
            timer.start();
            const ImportResult result = importContacts(source, append, access);
            ms.append(double(timer.nsecsElapsed()) / 1e6);
            cpu.append(1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC);
            right = right && result.added + result.alreadyThere == kRecords;
        }
        std::sort(ms.begin(), ms.end());
        std::sort(cpu.begin(), cpu.end());
        std::printf("%-5s %-26s wall median %8.0f ms (%6.1f us/record); cpu median %8.0f ms "
                    "(%6.1f us/record)\n",
                    what, append ? "append, all there already" : "overwrite", ms.at(1),
                    1000.0 * ms.at(1) / kRecords, cpu.at(1), 1000.0 * cpu.at(1) / kRecords);
        std::fflush(stdout);
    }
    return right;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    setContactsFolder(dir.path());
    QuietPlatform quiet;
    AccessWindow access;

    const QByteArray csv = outlookCsvFile(kRecords, Street::OverTwoLines);
    const QByteArray vcf = vcardFile();
    std::printf("Import of %d records, 3 runs each, record pauses switched off\n", kRecords);
    std::printf("CSV file %lld bytes, vCard file %lld bytes\n", static_cast<long long>(csv.size()),
                static_cast<long long>(vcf.size()));
    quiet.file.path = dir.filePath(QStringLiteral("contacts.csv"));
    if (!writeFile(quiet.file.path, csv) || !timeImports("CSV", ImportSource::CsvFile, access))
        return 1;
    quiet.file.path = dir.filePath(QStringLiteral("contacts.vcf"));
    if (!writeFile(quiet.file.path, vcf) || !timeImports("vCard", ImportSource::VCardFile, access))
        return 1;
    return 0;
}
