#include "session/form_text.h"

#include "core/cp1252.h"
#include "core/settings.h"

namespace zemble {

QString convert_text(const QString& str) {
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray bytes = toCp1252(str);
    QString out;
    out.reserve(bytes.size() * 3);
    for (const char ch : bytes) {
        const auto code = static_cast<unsigned char>(ch);
        const bool plain =
            (code >= 48 && code <= 57) || (code >= 65 && code <= 95) || (code >= 97 && code <= 122);
        if (plain) {
            out += QLatin1Char(static_cast<char>(code));
        } else {
            // Always two digits: "%A" followed by "3" would read back as "%A3".
            out += QLatin1Char('%');
            out += QLatin1Char(hex[code >> 4]);
            out += QLatin1Char(hex[code & 0x0F]);
        }
    }
    return out;
}

QString text_between(const QString& page, const QString& start, const QString& end) {
    const qsizetype at = page.indexOf(start, 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    const qsizetype from = at + start.size();
    const qsizetype to = page.indexOf(end, from, Qt::CaseInsensitive);
    if (to <= from)
        return {};
    return page.mid(from, to - from);
}

qint16 figureFromText(const QString& text) {
    return leadingNumberInt16(text);
}

} // namespace zemble
