#include "addressbook/csv_import.h"

namespace zemble {

QString clean_csv_field(QStringView raw) {
    QStringView body = raw;
    if (body.size() > 1 && body.front() == u'"' && body.back() == u'"')
        body = body.mid(1, body.size() - 2);
    QString out = body.toString();
    if (body.contains(u"\"\""))
        out.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return out;
}

bool split_csv_line(QStringView line, CsvFields& fields, const CsvStopCheck& stop) {
    for (QString& field : fields)
        field.clear();
    int f = 0;
    bool inQuotes = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (stop && stop())
            return false;
        const QChar c = line[i];
        if (c == u'"') {
            inQuotes = !inQuotes;
        } else if (c == u',' && !inQuotes) {
            if (f < kCsvFieldCount)
                fields[f] = clean_csv_field(line.mid(start, i - start));
            if (f <= kCsvFieldCount)
                ++f;
            start = i + 1;
        }
    }
    if (f < kCsvFieldCount)
        fields[f] = line.mid(start).toString();
    return true;
}

QString import_contact_name(const QString& last, const QString& first) {
    if (first.isEmpty())
        return last;
    return last + QStringLiteral(", ") + first;
}

} // namespace zemble
