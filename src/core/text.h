#pragma once

#include <QString>

namespace zemble {

// Removes the spaces at both ends of a text; tabs and other blanks stay, as
// the program's fields keep them.
QString trim_spaces(const QString& text);

} // namespace zemble
