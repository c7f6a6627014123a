// The CSV import's line reader and field splitter against plain reference versions, and its
// record reader against the line reader on text without double quotes.

#include "addressbook/csv_import.h"
#include "core/cp1252.h"
#include "core/line_reader.h"
#include "fuzz_support.h"

#include <QBuffer>

using namespace zemble;
using namespace zemble::fuzz;

namespace {

// A line ends at CR LF or a lone CR.
QList<QByteArray> referenceLines(const QByteArray& bytes) {
    QList<QByteArray> lines = QByteArray(bytes).replace("\r\n", "\r").split('\r');
    if (lines.last().isEmpty()) // nothing after the last line end
        lines.removeLast();
    return lines;
}

// A quote flips the in-quotes state; a comma outside quotes ends a field, which loses its
// enclosing quotes and has each doubled quote made one; the last field is kept as it is.
CsvFields referenceSplit(const QString& line) {
    CsvFields fields;
    int f = 0;
    bool inQuotes = false;
    QString field;
    for (const QChar c : line) {
        if (c == u'"')
            inQuotes = !inQuotes;
        if (c != u',' || inQuotes) {
            field += c;
            continue;
        }
        if (field.size() > 1 && field.startsWith(u'"') && field.endsWith(u'"'))
            field = field.mid(1, field.size() - 2);
        if (f < kCsvFieldCount)
            fields[f] = field.replace(QStringLiteral("\"\""), QStringLiteral("\""));
        ++f;
        field.clear();
    }
    if (f < kCsvFieldCount)
        fields[f] = field;
    return fields;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes = bytesOf(data, size);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer, LineEnds::CrLfOrCr);
    QList<QByteArray> lines;
    while (!reader.atEnd())
        lines.append(reader.readLine());
    check(lines == referenceLines(bytes), "the reference's lines");

    CsvFields fields;
    fields.fill(QStringLiteral("left from the line before"));
    for (const QByteArray& line : lines) {
        const QString text = fromCp1252(line);
        check(splitCsvLine(text, fields), "a split without a stop runs to the end");
        check(fields == referenceSplit(text), "the reference's fields");
    }

    // Records: without double quotes they are the lines (a file whose first line ends in a
    // lone LF ends lines at LF too); with them, a record ends at a line end only outside quotes.
    const QString text = fromCp1252(bytes);
    CsvRecords records(text);
    QStringList read;
    while (!records.atEnd())
        read.append(records.next().toString());
    const qsizetype cr = bytes.indexOf('\r');
    const qsizetype lf = bytes.indexOf('\n');
    const bool lfEnds = lf >= 0 && (cr < 0 || lf < cr);
    if (!bytes.contains('"')) {
        QStringList expected;
        const QByteArray ends =
            lfEnds ? QByteArray(bytes).replace("\r\n", "\r").replace('\n', '\r') : bytes;
        for (const QByteArray& line : referenceLines(ends))
            expected.append(fromCp1252(line));
        check(read == expected, "records without quotes are the lines");
    }
    qsizetype length = 0;
    for (const QString& record : read)
        length += record.size();
    check(length <= text.size(), "records hold no more than the text");
    return 0;
}
