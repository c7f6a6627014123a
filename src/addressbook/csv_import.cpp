#include "addressbook/csv_import.h"

namespace zemble {

QString cleanCsvField(QStringView raw) {
    QStringView body = raw;
    if (body.size() > 1 && body.front() == u'"' && body.back() == u'"')
        body = body.mid(1, body.size() - 2);
    // One pass, left to right: each pair of double quotes gives one.  (A
    // replace over the text moves its tail once per batch of pairs, which
    // grows with the square of a field made of them.)
    QString out;
    out.reserve(body.size());
    for (qsizetype i = 0; i < body.size(); ++i) {
        out.append(body[i]);
        if (body[i] == u'"' && i + 1 < body.size() && body[i + 1] == u'"')
            ++i;
    }
    return out;
}

bool splitCsvLine(QStringView line, CsvFields& fields, const CsvStopCheck& stop) {
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
                fields[f] = cleanCsvField(line.mid(start, i - start));
            if (f <= kCsvFieldCount)
                ++f;
            start = i + 1;
        }
    }
    if (f < kCsvFieldCount)
        fields[f] = line.mid(start).toString();
    return true;
}

QString importContactName(const QString& last, const QString& first) {
    if (first.isEmpty())
        return last;
    return last + QStringLiteral(", ") + first;
}

} // namespace zemble
