#include "addressbook/vcard_import.h"

#include "core/cp1252.h"
#include "core/phone.h"

#include <QStringDecoder>

namespace zemble {
namespace {

struct Property {
    QByteArray name; // upper case, without its group
    QByteArray encoding;
    QByteArray charset;
    QList<QByteArray> types; // lower case
    QByteArray value;
};

struct Tel {
    QString number;
    bool mobileTyped = false;
};

struct Card {
    QStringList n;
    QString fn;
    QList<Tel> tels;
};

// The position of the first `c` outside double quotes, or -1.
qsizetype indexOutsideQuotes(QByteArrayView line, char c, qsizetype from = 0) {
    bool inQuotes = false;
    for (qsizetype i = from; i < line.size(); ++i) {
        if (line[i] == '"')
            inQuotes = !inQuotes;
        else if (line[i] == c && !inQuotes)
            return i;
    }
    return -1;
}

QList<QByteArray> splitOutsideQuotes(QByteArrayView text, char c) {
    QList<QByteArray> pieces;
    qsizetype start = 0;
    for (qsizetype end; (end = indexOutsideQuotes(text, c, start)) >= 0; start = end + 1)
        pieces.append(text.sliced(start, end - start).toByteArray());
    pieces.append(text.sliced(start).toByteArray());
    return pieces;
}

QByteArray unquoted(QByteArray value) {
    if (value.size() > 1 && value.startsWith('"') && value.endsWith('"'))
        return value.mid(1, value.size() - 2);
    return value;
}

bool isQuotedPrintable(QByteArrayView line) {
    const qsizetype colon = indexOutsideQuotes(line, ':');
    const QByteArrayView head = colon < 0 ? line : line.first(colon);
    return head.toByteArray().toUpper().contains("QUOTED-PRINTABLE");
}

Property parseProperty(QByteArrayView line) {
    Property property;
    const qsizetype colon = indexOutsideQuotes(line, ':');
    if (colon < 0)
        return property;
    property.value = line.sliced(colon + 1).toByteArray();
    const QList<QByteArray> head = splitOutsideQuotes(line.first(colon), ';');
    property.name = head.first().mid(head.first().lastIndexOf('.') + 1).trimmed().toUpper();
    for (qsizetype i = 1; i < head.size(); ++i) {
        const qsizetype equals = head[i].indexOf('=');
        const QByteArray key = equals < 0 ? QByteArray() : head[i].left(equals).trimmed().toUpper();
        const QByteArray value = unquoted(head[i].mid(equals + 1).trimmed());
        const QByteArray upper = value.toUpper();
        // Version 2.1 also names an encoding or a type without a key.
        if (key == "ENCODING" ||
            (key.isEmpty() && (upper == "QUOTED-PRINTABLE" || upper == "BASE64")))
            property.encoding = upper;
        else if (key == "CHARSET")
            property.charset = value;
        else if (key == "TYPE" || key.isEmpty())
            for (const QByteArray& type : value.split(','))
                property.types.append(type.trimmed().toLower());
    }
    return property;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray fromQuotedPrintable(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
            hexDigit(text[i + 2]) >= 0) {
            out.append(char(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2])));
            i += 2;
        } else {
            out.append(text[i]);
        }
    }
    return out;
}

QString decodedText(const Property& property) {
    const QByteArray bytes = property.encoding == "QUOTED-PRINTABLE"
                                 ? fromQuotedPrintable(property.value)
                                 : property.value;
    if (!property.charset.isEmpty()) {
        QStringDecoder named(property.charset.constData(), QStringDecoder::Flag::Stateless);
        if (named.isValid()) {
            const QString text = named.decode(bytes);
            if (!named.hasError())
                return text;
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? fromCp1252(bytes) : text;
}

// A text value's components, split at every ";" that is not escaped, each
// with its backslash escapes undone.
QStringList components(const QString& value) {
    QStringList out{QString()};
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar next = value[++i];
            out.last() += next == u'n' || next == u'N' ? QChar(u'\n') : next;
        } else if (c == u';') {
            out.append(QString());
        } else {
            out.last() += c;
        }
    }
    return out;
}

QString telNumber(const QString& value) {
    QString number = components(value).join(u';');
    if (number.startsWith(QLatin1StringView("tel:"), Qt::CaseInsensitive)) {
        number = number.mid(4);
        number.truncate(number.indexOf(u';') < 0 ? number.size() : number.indexOf(u';'));
    }
    return number;
}

void takeProperty(const Property& property, Card& card) {
    if (property.name == "N") {
        card.n = components(decodedText(property));
    } else if (property.name == "FN") {
        card.fn = components(decodedText(property)).join(u';');
    } else if (property.name == "TEL") {
        Tel tel{telNumber(decodedText(property)), false};
        for (const QByteArray& type : property.types)
            tel.mobileTyped =
                tel.mobileTyped || type == "cell" || type == "mobile" || type == "iphone";
        card.tels.append(tel);
    }
}

QString mobileOf(const Card& card) {
    QString firstTyped;
    for (const Tel& tel : card.tels) {
        if (!tel.mobileTyped)
            continue;
        if (!normalise_number(tel.number).isEmpty())
            return tel.number;
        if (firstTyped.isEmpty())
            firstTyped = tel.number;
    }
    QString only;
    QString onlyNormal;
    for (const Tel& tel : card.tels) {
        const QString normal = normalise_number(tel.number);
        if (!isUkMobileNumber(normal) || normal == onlyNormal)
            continue;
        if (!onlyNormal.isEmpty())
            return firstTyped; // two different mobile numbers: neither is sure
        only = tel.number;
        onlyNormal = normal;
    }
    return only.isEmpty() ? firstTyped : only;
}

ImportedContact contactOf(const Card& card) {
    return {namedContactName(card.n.value(0), card.n.value(1), card.fn), mobileOf(card)};
}

class CardReader {
public:
    void line(const QByteArray& text) {
        const Property property = parseProperty(text);
        const QByteArray value = property.value.trimmed().toUpper();
        if (property.name == "BEGIN" && value == "VCARD") {
            if (depth_++ == 0)
                card_ = Card{};
        } else if (property.name == "END" && value == "VCARD") {
            if (depth_ > 0 && --depth_ == 0)
                contacts.append(contactOf(card_));
        } else if (depth_ == 1) {
            // Properties of a card inside a card belong to that one, not read.
            takeProperty(property, card_);
        }
    }
    void finish() {
        if (depth_ > 0)
            contacts.append(contactOf(card_)); // a last card without its END
        depth_ = 0;
    }
    QList<ImportedContact> contacts;

private:
    int depth_ = 0;
    Card card_;
};

} // namespace

bool isUkMobileNumber(const QString& number) {
    return number.size() == 11 && number.startsWith(QLatin1StringView("07"));
}

std::optional<QList<ImportedContact>> readVCards(const QByteArray& bytes,
                                                 const std::function<bool()>& stop) {
    CardReader reader;
    QByteArray pending;
    bool started = false;
    qsizetype start = 0;
    while (start < bytes.size()) {
        if (stop && stop())
            return std::nullopt;
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        const QByteArray physical = bytes.sliced(start, end - start);
        start =
            end + (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2 : 1);
        // A quoted-printable value ending in "=" goes on in the next line as
        // it stands; any other line goes on in a next line that starts with a
        // space or a tab, which is dropped.
        if (started && pending.endsWith('=') && isQuotedPrintable(pending)) {
            pending.chop(1);
            pending += physical;
        } else if (started && (physical.startsWith(' ') || physical.startsWith('\t'))) {
            pending += physical.sliced(1);
        } else {
            if (started)
                reader.line(pending);
            pending = physical;
            started = true;
        }
    }
    if (started)
        reader.line(pending);
    reader.finish();
    return reader.contacts;
}

} // namespace zemble
