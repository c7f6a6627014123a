// The CSV import's line reader and field splitter against plain reference versions.

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
    return 0;
}
