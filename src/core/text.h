#pragma once

#include <QString>
#include <QStringList>

namespace zemble {

// Removes the spaces at both ends of a text; tabs and other blanks stay, as
// the program's fields keep them.
QString trimSpaces(const QString& text);

// Joins lines with CR LF, the line break of every message text the program
// builds.
QString crlfLines(const QStringList& lines);

} // namespace zemble
