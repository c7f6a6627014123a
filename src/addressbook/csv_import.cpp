#include "addressbook/csv_import.h"

#include "core/cp1252.h"
#include "core/phone.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <cstring>

namespace zemble {
namespace {

// Splits `line` field by field: take(index, raw text up to its closing comma)
// for every field ended by a comma, then last(index, the text after the last
// comma).  The index stops counting one past the last held field.
template <class Take, class Last>
bool forEachField(QStringView line, int held, const CsvStopCheck& stop, Take take, Last last) {
    int f = 0;
    bool inQuotes = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        // Asked now and then rather than before every character: the answer
        // can only change while window events are handled, which the check
        // itself does every so often.
        if (i % kCsvCharactersBetweenStops == 0 && stop && stop())
            return false;
        const QChar c = line[i];
        if (c == u'"') {
            inQuotes = !inQuotes;
        } else if (c == u',' && !inQuotes) {
            if (f < held)
                take(f, line.mid(start, i - start));
            if (f <= held)
                ++f;
            start = i + 1;
        }
    }
    if (f < held)
        last(f, line.mid(start));
    return true;
}

bool sameName(const QString& field, QLatin1StringView name) {
    return field.trimmed().compare(name, Qt::CaseInsensitive) == 0;
}

int columnNamed(const QStringList& header, std::initializer_list<const char*> names) {
    for (int i = 0; i < header.size(); ++i)
        for (const char* name : names)
            if (sameName(header[i], QLatin1StringView(name)))
                return i;
    return -1;
}

// " ::: " separates several values of one column in the address book
// exports of the web mail service.
const QString kValueSeparator = QStringLiteral(" ::: ");

bool saysMobile(const QString& type) {
    return type.contains(QLatin1StringView("mobile"), Qt::CaseInsensitive) ||
           type.contains(QLatin1StringView("cell"), Qt::CaseInsensitive);
}

} // namespace

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
    return forEachField(
        line, kCsvFieldCount, stop, [&](int f, QStringView raw) { fields[f] = cleanCsvField(raw); },
        [&](int f, QStringView raw) { fields[f] = raw.toString(); });
}

bool splitCsvRecord(QStringView record, QStringList& fields, const CsvStopCheck& stop) {
    fields.clear();
    const auto take = [&](int, QStringView raw) { fields.append(cleanCsvField(raw)); };
    return forEachField(record, std::numeric_limits<int>::max() - 1, stop, take, take);
}

namespace {

char16_t code(QChar c) {
    return c.unicode();
}
char16_t code(char c) {
    return static_cast<unsigned char>(c);
}

// Whether a file's lines end at a lone LF: its first line ends so.
template <class View> bool lfLineEnds(View text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = code(text[i]);
        if (c == u'\r' || c == u'\n')
            return c == u'\n';
    }
    return false;
}

// The record of `text` that starts at `position`, which moves past it and
// its line end.
template <class View> View nextRecord(View text, qsizetype& position, bool lfEnds) {
    const qsizetype start = position;
    bool inQuotes = false;
    for (qsizetype i = start; i < text.size(); ++i) {
        const char16_t c = code(text[i]);
        if (c == u'"') {
            inQuotes = !inQuotes;
        } else if (!inQuotes && (c == u'\r' || (c == u'\n' && lfEnds))) {
            position =
                c == u'\r' && i + 1 < text.size() && code(text[i + 1]) == u'\n' ? i + 2 : i + 1;
            return text.sliced(start, i - start);
        }
    }
    position = text.size();
    return text.sliced(start);
}

} // namespace

CsvRecords::CsvRecords(QStringView text) : text_(text), lfEnds_(lfLineEnds(text)) {}

QStringView CsvRecords::next() {
    return nextRecord(text_, position_, lfEnds_);
}

AsciiCsvRecords::AsciiCsvRecords(QByteArrayView bytes)
    : bytes_(bytes), lfEnds_(lfLineEnds(bytes)) {}

QString AsciiCsvRecords::next() {
    return QString::fromLatin1(nextRecord(bytes_, position_, lfEnds_));
}

bool isAsciiText(QByteArrayView bytes) {
    // Eight bytes at a time, without an early way out: the top bit of any
    // byte at or above 0x80 survives the OR.
    constexpr quint64 kTopBits = 0x8080808080808080ULL;
    quint64 any = 0;
    qsizetype i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        quint64 word;
        std::memcpy(&word, bytes.data() + i, sizeof word);
        any |= word;
    }
    for (; i < bytes.size(); ++i)
        any |= static_cast<unsigned char>(bytes[i]);
    return (any & kTopBits) == 0;
}

QString importFileText(const QByteArray& bytes) {
    QByteArrayView body = bytes;
    const bool marked = body.startsWith("\xEF\xBB\xBF");
    if (marked)
        body = body.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (marked || !utf8.hasError())
        return text;
    return fromCp1252(body.toByteArray());
}

QString importContactName(const QString& last, const QString& first) {
    if (first.isEmpty())
        return last;
    return last + QStringLiteral(", ") + first;
}

QString namedContactName(const QString& last, const QString& first, const QString& display) {
    if (!last.isEmpty())
        return importContactName(last, first);
    return display.isEmpty() ? first : display;
}

bool CsvLayout::recognised() const {
    const bool named = firstName >= 0 || lastName >= 0 || displayName >= 0;
    return positional || (named && (!mobiles.isEmpty() || !typedPhones.isEmpty()));
}

CsvLayout csvLayout(const QStringList& header) {
    CsvLayout layout;
    if (header.size() > kCsvMobile &&
        sameName(header[kCsvFirstName], QLatin1StringView("First Name")) &&
        sameName(header[kCsvLastName], QLatin1StringView("Last Name")) &&
        sameName(header[kCsvMobile], QLatin1StringView("Mobile Phone"))) {
        layout.positional = true;
        return layout;
    }
    layout.firstName = columnNamed(header, {"First Name", "Given Name"});
    layout.lastName = columnNamed(header, {"Last Name", "Family Name"});
    layout.displayName = columnNamed(header, {"Display Name", "Name"});
    for (int i = 0; i < header.size(); ++i)
        if (sameName(header[i], QLatin1StringView("Mobile Phone")) ||
            sameName(header[i], QLatin1StringView("Mobile Number")))
            layout.mobiles.append(i);
    static const QRegularExpression phoneValue(QStringLiteral("^Phone (\\d+) - Value$"),
                                               QRegularExpression::CaseInsensitiveOption);
    for (int i = 0; i < header.size(); ++i) {
        const QRegularExpressionMatch match = phoneValue.match(header[i].trimmed());
        if (!match.hasMatch())
            continue;
        const QString phone = QStringLiteral("Phone ") + match.captured(1);
        const QByteArray type = (phone + QStringLiteral(" - Type")).toLatin1();
        const QByteArray label = (phone + QStringLiteral(" - Label")).toLatin1();
        const int typeColumn = columnNamed(header, {type.constData(), label.constData()});
        if (typeColumn >= 0)
            layout.typedPhones.append({typeColumn, i});
    }
    return layout;
}

QString csvColumnsLookedFor() {
    return QStringLiteral("a name in \"First Name\", \"Last Name\", \"Given Name\", \"Family "
                          "Name\" or \"Display Name\", and a mobile number in \"Mobile Phone\", "
                          "\"Mobile Number\" or a \"Phone 1 - Value\" whose \"Phone 1 - Type\" or "
                          "\"Phone 1 - Label\" says Mobile");
}

std::optional<ImportedContact> csvContact(const CsvLayout& layout, QStringView record,
                                          const CsvStopCheck& stop) {
    ImportedContact contact;
    if (layout.positional) {
        CsvFields fields;
        if (!splitCsvLine(record, fields, stop))
            return std::nullopt;
        contact.mobile = fields[kCsvMobile];
        // A record without a last name is not taken from this export.
        if (!fields[kCsvLastName].isEmpty())
            contact.name = importContactName(fields[kCsvLastName], fields[kCsvFirstName]);
        return contact;
    }
    QStringList fields;
    if (!splitCsvRecord(record, fields, stop))
        return std::nullopt;
    const auto field = [&](int column) { return column >= 0 ? fields.value(column) : QString(); };
    contact.name = namedContactName(field(layout.lastName), field(layout.firstName),
                                    field(layout.displayName));
    QStringList numbers;
    for (const int column : layout.mobiles)
        numbers << field(column).split(kValueSeparator);
    for (const CsvLayout::TypedPhone& phone : layout.typedPhones)
        if (saysMobile(field(phone.type)))
            numbers << field(phone.value).split(kValueSeparator);
    for (const QString& number : numbers) {
        if (!normalise_number(number).isEmpty()) {
            contact.mobile = number;
            return contact;
        }
        if (contact.mobile.isEmpty())
            contact.mobile = number;
    }
    return contact;
}

} // namespace zemble
