#include "session/sent_log.h"

#include "core/cp1252.h"
#include "core/file_save.h"
#include "core/line_reader.h"
#include "core/settings.h"
#include "core/text.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace zemble {
namespace {

// The lines of the old log.  The log is written with CR LF, but a file that
// another program touched may end its lines with a lone CR or a lone LF; each
// of the three ends one line.
QStringList readLines(const QString& path) {
    QStringList lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return lines; // no log yet, or unreadable: counts as empty
    LineReader reader(file, LineEnds::CrLfCrOrLf);
    while (!reader.atEnd())
        lines.append(fromCp1252(reader.readLine()));
    return lines;
}

// Every line break of the message becomes the file's own CR LF, so each of
// the message's lines is one line of the log.
QString withCrlfBreaks(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return text;
}

} // namespace

QString log_sent_message(const QString& to, const QString& message, const QString& when) {
    const QString path = get_setting(keys::smsLogLocation, "");
    if (path.isEmpty())
        return {};

    QStringList lines = readLines(path);
    if (lines.size() > kSentLogKeptLines)
        lines = lines.mid(lines.size() - kSentLogKeptLines);
    lines << QStringLiteral("To: ") + to << QStringLiteral("Date: ") + when
          << QStringLiteral("Message: ") + withCrlfBreaks(message) << QString();

    QString text;
    for (const QString& line : std::as_const(lines)) {
        text += line;
        text += QLatin1String("\r\n");
    }

    // The new log replaces the old one only when complete, so a failed write
    // never costs the records already there.
    if (const std::optional<QString> failure = saveFile(path, toCp1252(text)))
        return crlfLines({QStringLiteral("Unable to save out your SMS to the log file."),
                          QDir::toNativeSeparators(path), *failure});
    return {};
}

} // namespace zemble
