#pragma once

#include <QString>

namespace zemble {

// Brings a typed or imported number to the one form the program keeps:
// national digits only, a leading "+44" read as "0".  Returns "" for any
// other "+" country code and for a text without a single digit.
QString normalise_number(const QString& number);

} // namespace zemble
