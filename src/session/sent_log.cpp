#include "session/sent_log.h"

#include "core/cp1252.h"
#include "core/file_save.h"
#include "core/line_reader.h"
#include "core/settings.h"
#include "core/text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <optional>

namespace zemble {
namespace {

// The lines of the old log.  The log is written with CR LF, but a file that
// another program touched may end its lines with a lone CR or a lone LF; each
// of the three ends one line.  No log yet counts as empty; a log that is
// there but cannot be read gives the reason, and must not be replaced.
std::optional<QString> readLines(const QString& path, QStringList* lines) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // A folder in the log's place is told by the write.
        if (!file.exists() || QFileInfo(path).isDir())
            return std::nullopt;
        return QStringLiteral("Cannot read the old log: ") + file.errorString();
    }
    LineReader reader(file, LineEnds::CrLfCrOrLf);
    while (!reader.atEnd())
        lines->append(fromCp1252(reader.readLine()));
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("Cannot read the old log: ") + file.errorString();
    return std::nullopt;
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
    const QString path = readSetting(setting::smsLogLocation);
    if (path.isEmpty())
        return {};

    const auto tell = [&path](const QString& reason) {
        return crlfLines({QStringLiteral("Unable to save out your SMS to the log file."),
                          QDir::toNativeSeparators(path), reason});
    };
    // Another copy of the program, or zemble-send, may log a send at the same
    // moment: each reads, adds to and writes back the whole log while it holds
    // the lock, so no record is lost to another writer.
    const FileLock lock(path);
    if (lock.failure())
        return tell(*lock.failure());

    QStringList lines;
    if (const std::optional<QString> failure = readLines(path, &lines))
        return tell(*failure);
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
        return tell(*failure);
    return {};
}

} // namespace zemble
