// The CSV import's line reader and field splitter against plain reference
// versions written from the file format's rules: a line ends at CR LF or a
// lone CR; a double quote flips the in-quotes state; a comma outside quotes
// ends a field, which loses enclosing double quotes and has each pair of
// double quotes made one; the text after the last comma is kept as it is.

#include "addressbook/csv_import.h"
#include "core/cp1252.h"
#include "core/line_reader.h"
#include "fuzz_support.h"

#include <QBuffer>

using namespace zemble;
using namespace zemble::fuzz;

namespace {

QList<QByteArray> reference_lines(const QByteArray& bytes) {
    QList<QByteArray> lines;
    QByteArray line;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r') {
            line += bytes[i];
            continue;
        }
        lines.append(line);
        line.clear();
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

QString reference_clean(QString field) {
    if (field.size() > 1 && field.startsWith(u'"') && field.endsWith(u'"'))
        field = field.mid(1, field.size() - 2);
    return field.replace(QStringLiteral("\"\""), QStringLiteral("\""));
}

CsvFields reference_split(const QString& line) {
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
        if (f < kCsvFieldCount)
            fields[f] = reference_clean(field);
        ++f;
        field.clear();
    }
    if (f < kCsvFieldCount)
        fields[f] = field;
    return fields;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes = bytes_of(data, size);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer, LineEnds::CrLfOrCr);
    QList<QByteArray> lines;
    while (!reader.atEnd())
        lines.append(reader.readLine());
    check(lines == reference_lines(bytes), "the reference's lines");

    CsvFields fields;
    fields.fill(QStringLiteral("left from the line before"));
    for (const QByteArray& line : lines) {
        const QString text = fromCp1252(line);
        check(splitCsvLine(text, fields), "a split without a stop runs to the end");
        check(fields == reference_split(text), "the reference's fields");
    }
    return 0;
}
