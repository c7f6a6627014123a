#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace zemble {

// The program's files and the operator's form encoding work in the
// Windows-1252 single-byte code page.  Qt 6 has no codec for it, so the
// two-way table lives here.  A character the code page lacks becomes "?" (63);
// a surrogate pair counts as one such character.

// The code page byte (0..255) of one UTF-16 unit; 63 when it has none.
int cp1252Code(QChar c);

QByteArray toCp1252(QStringView text);
QString fromCp1252(QByteArrayView bytes);
// Appends the characters of code page bytes to a text, growing it in place.
void appendFromCp1252(QString& text, QByteArrayView bytes);

// The text as it would read after a round trip through the code page: the
// text itself, sharing its memory, when the code page holds all of it.
QString cp1252Fold(const QString& text);

// The characters of a typed text that may go into a text message or a part
// of one: those whose code page byte `keep` accepts stay, a line feed becomes
// a space, and everything else goes, a character the code page lacks too
// (rather than reaching the site as "?").
QString keepCp1252(QStringView text, bool (*keep)(int code));

} // namespace zemble
