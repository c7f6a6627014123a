#include "core/sms_segments.h"

#include <QList>

namespace zemble {
namespace {

// The GSM 03.38 default alphabet, one septet each (the escape itself left out).
constexpr char16_t kBasic[] = u"@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?"
                              u"¡ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà";
// Reached through the escape: two septets each.
constexpr char16_t kExtension[] = u"^{}\\[]~|€\f";

bool inTable(const char16_t* table, char16_t c) {
    for (; *table; ++table)
        if (*table == c)
            return true;
    return false;
}

// Septets of one UTF-16 code unit; 0 when it is outside the alphabet.
int gsmWidth(char16_t c) {
    if (inTable(kBasic, c))
        return 1;
    if (inTable(kExtension, c))
        return 2;
    return 0;
}

// Parts for characters of the given widths: one text when they all fit in
// `single`, otherwise parts of `joined`, a character that does not fit
// whole opening the next part.
template <typename Widths>
SmsSegments fill(SmsCoding coding, const Widths& widths, int single, int joined) {
    SmsSegments result{coding, 0, 0};
    for (int w : widths)
        result.units += w;
    if (result.units == 0)
        return result;
    if (result.units <= single) {
        result.parts = 1;
        return result;
    }
    int used = 0;
    result.parts = 1;
    for (int w : widths) {
        if (used + w > joined) {
            ++result.parts;
            used = 0;
        }
        used += w;
    }
    return result;
}

} // namespace

SmsSegments countSmsSegments(const QString& message) {
    QList<int> widths;
    widths.reserve(message.size());
    bool gsm = true;
    for (const QChar c : message) {
        const int w = gsmWidth(c.unicode());
        if (w == 0) {
            gsm = false;
            break;
        }
        widths.append(w);
    }
    if (gsm)
        return fill(SmsCoding::Gsm7, widths, kGsm7Single, kGsm7Joined);

    widths.clear();
    for (qsizetype i = 0; i < message.size(); ++i) {
        // A surrogate pair is one character in two units, kept together.
        if (message.at(i).isHighSurrogate() && i + 1 < message.size() &&
            message.at(i + 1).isLowSurrogate()) {
            widths.append(2);
            ++i;
        } else {
            widths.append(1);
        }
    }
    return fill(SmsCoding::Ucs2, widths, kUcs2Single, kUcs2Joined);
}

} // namespace zemble
