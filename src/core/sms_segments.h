#pragma once

#include <QString>

namespace zemble {

// How an SMS gateway carries a text: in the GSM 7-bit default alphabet when
// every character belongs to it, otherwise in UCS-2.
enum class SmsCoding { Gsm7, Ucs2 };

// Room in one text on its own, and in each part of a joined (concatenated)
// text, whose header takes the rest.
inline constexpr int kGsm7Single = 160;
inline constexpr int kGsm7Joined = 153;
inline constexpr int kUcs2Single = 70;
inline constexpr int kUcs2Joined = 67;

struct SmsSegments {
    SmsCoding coding = SmsCoding::Gsm7;
    // Septets (GSM 7-bit) or 16-bit code units (UCS-2) the text takes.
    int units = 0;
    // Texts the gateway sends; 0 for an empty message.
    int parts = 0;
};

// The number of SMS a message makes through a gateway.  In the GSM alphabet
// the extension characters ^ { } \ [ ] ~ | and the euro sign take two septets
// (an escape and the character); a character outside the alphabet makes the
// whole text UCS-2, where a character beyond the 16-bit range takes two
// units.  A character's units are never split between two parts.
SmsSegments countSmsSegments(const QString& message);

} // namespace zemble
