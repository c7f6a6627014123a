#include "core/text.h"

namespace zemble {

QString trimSpaces(const QString& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == u' ')
        ++start;
    while (end > start && text[end - 1] == u' ')
        --end;
    return text.mid(start, end - start);
}

QString crlfLines(const QStringList& lines) {
    return lines.join(QLatin1String("\r\n"));
}

} // namespace zemble
