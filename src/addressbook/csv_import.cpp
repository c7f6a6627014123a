#include "addressbook/csv_import.h"

#include "core/cp1252.h"

#include <QIODevice>

namespace zemble {
namespace {

constexpr qint64 kBlockSize = 64 * 1024;
constexpr char kCr = '\r';
constexpr char kLf = '\n';

} // namespace

CsvLineReader::CsvLineReader(QIODevice& device) : device_(device) {}

bool CsvLineReader::fill() {
    if (ended_)
        return false;
    const QByteArray block = device_.read(kBlockSize);
    if (block.isEmpty()) {
        ended_ = true;
        return false;
    }
    buffer_.remove(0, position_);
    position_ = 0;
    buffer_.append(block);
    return true;
}

bool CsvLineReader::atEnd() {
    if (position_ < buffer_.size())
        return false;
    return !fill();
}

QString CsvLineReader::readLine() {
    QByteArray line;
    for (;;) {
        if (position_ >= buffer_.size() && !fill())
            break;
        const qsizetype cr = buffer_.indexOf(kCr, position_);
        if (cr < 0) {
            line.append(buffer_.constData() + position_, buffer_.size() - position_);
            position_ = buffer_.size();
            continue;
        }
        line.append(buffer_.constData() + position_, cr - position_);
        position_ = cr + 1;
        // A CR LF pair ends the line as one; the LF may sit in the next block.
        if (position_ >= buffer_.size())
            fill();
        if (position_ < buffer_.size() && buffer_.at(position_) == kLf)
            ++position_;
        break;
    }
    return from_cp1252(line);
}

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
