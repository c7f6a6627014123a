#pragma once

#include <QString>

namespace zemble {

// Form-encodes a value the way the operator's forms expect it: each character
// is taken in the Windows-1252 code page; digits, capital letters with
// "[\]^_" and small letters are copied, every other code becomes "%" and two
// upper-case hex digits ("%20", "%0D%0A", "%A3").  No "+" for a space and no
// UTF-8 step.
QString convert_text(const QString& str);

// The text between the first `start` (any letter case) and the next `end`
// after it (any letter case); "" when either marker is missing or nothing
// lies between them.
QString text_between(const QString& page, const QString& start, const QString& end);

// A figure cut out of a page as a number: its leading numeral, blanks
// ignored, 0 when it does not start with one, held to the 16-bit range.
qint16 figureFromText(const QString& text);

} // namespace zemble
