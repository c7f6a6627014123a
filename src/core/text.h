#pragma once

#include <QString>
#include <QStringList>

namespace zemble {

// Removes the spaces at both ends of a text; tabs and other blanks stay, as
// the program's fields keep them.
QString trim_spaces(const QString& text);

// Joins lines with CR LF, the line break of every message text the program
// builds.
QString crlf_lines(const QStringList& lines);

} // namespace zemble
