#include "core/cp1252.h"

#include <algorithm>
#include <array>

namespace zemble {
namespace {

// Code points of bytes 0x80..0x9F; 0 marks the five bytes the code page leaves unassigned.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

int cp1252Code(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < int(kHigh.size()); ++i) {
        if (kHigh[i] != 0 && kHigh[i] == u)
            return 0x80 + i;
    }
    // The unassigned bytes read back as the C1 controls of the same value.
    if (u >= 0x80 && u <= 0x9F && kHigh[u - 0x80] == 0)
        return u;
    return '?';
}

QByteArray toCp1252(QStringView text) {
    // Written straight into the bytes' own memory, one byte per character; a
    // surrogate pair takes one byte for two characters, so the bytes are
    // trimmed at the end.
    QByteArray out(text.size(), Qt::Uninitialized);
    char* to = out.data();
    const QChar* from = text.data();
    const QChar* const end = from + text.size();
    while (from != end) {
        const char16_t u = from->unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            *to++ = char(u);
            ++from;
            continue;
        }
        if (from->isHighSurrogate() && from + 1 != end && from[1].isLowSurrogate()) {
            *to++ = '?';
            from += 2;
            continue;
        }
        *to++ = char(cp1252Code(*from++));
    }
    out.truncate(to - out.constData());
    return out;
}

QString fromCp1252(QByteArrayView bytes) {
    QString out;
    appendFromCp1252(out, bytes);
    return out;
}

void appendFromCp1252(QString& text, QByteArrayView bytes) {
    // Written straight into the text's own memory: a long text is neither
    // built a character at a time nor copied.
    const qsizetype start = text.size();
    text.resize(start + bytes.size());
    char16_t* out = reinterpret_cast<char16_t*>(text.data()) + start;
    static const std::array<char16_t, 256> characters = [] {
        std::array<char16_t, 256> table{};
        for (int b = 0; b < 256; ++b)
            table[b] =
                (b >= 0x80 && b <= 0x9F && kHigh[b - 0x80] != 0) ? kHigh[b - 0x80] : char16_t(b);
        return table;
    }();
    for (const char b : bytes)
        *out++ = characters[static_cast<unsigned char>(b)];
}

QString cp1252Fold(const QString& text) {
    const bool held = std::all_of(text.begin(), text.end(),
                                  [](QChar c) { return cp1252Code(c) != '?' || c == u'?'; });
    return held ? text : fromCp1252(toCp1252(text));
}

QString keepCp1252(QStringView text, bool (*keep)(int code)) {
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        const int code = cp1252Code(c);
        if (code == '?' && c != u'?')
            continue; // no byte in the code page
        if (code == '\n')
            kept.append(u' ');
        else if (keep(code))
            kept.append(c);
    }
    return kept;
}

} // namespace zemble
