#include "session/sent_log.h"

#include "core/cp1252.h"
#include "core/settings.h"
#include "core/text.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace zemble {
namespace {

// The lines of the old log.  The log is written with CR LF, but a file that
// another program touched may end its lines with a lone CR or a lone LF; each
// of the three ends one line.  Text after the last line end is a line too.
QStringList read_lines(const QString& path) {
    QStringList lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return lines; // no log yet, or unreadable: counts as empty
    const QString text = from_cp1252(file.readAll());
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

// Every line break of the message becomes the file's own CR LF, so each of
// the message's lines is one line of the log.
QString with_crlf_breaks(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return text;
}

} // namespace

QString log_sent_message(const QString& to, const QString& message, const QString& when) {
    const QString path = get_setting(QStringLiteral("smsloglocation"), "");
    if (path.isEmpty())
        return {};

    QStringList lines = read_lines(path);
    if (lines.size() > kSentLogKeptLines)
        lines = lines.mid(lines.size() - kSentLogKeptLines);
    lines << QStringLiteral("To: ") + to << QStringLiteral("Date: ") + when
          << QStringLiteral("Message: ") + with_crlf_breaks(message) << QString();

    QString text;
    for (const QString& line : std::as_const(lines)) {
        text += line;
        text += QLatin1String("\r\n");
    }

    // The new log is written beside the old one and takes its place only when
    // complete, so a failed write never costs the records already there.
    QSaveFile file(path);
    bool failed = false;
    QString reason;
    if (!file.open(QIODevice::WriteOnly)) {
        failed = true;
        reason = file.errorString();
    } else {
        const QByteArray bytes = to_cp1252(text);
        // commit() does not check the flush of the write buffer itself, so
        // a short write is caught here before the old log is replaced.
        if (file.write(bytes) != bytes.size() || !file.flush()) {
            failed = true;
            reason = file.errorString();
            file.cancelWriting();
        } else if (!file.commit()) {
            failed = true;
            reason = file.errorString();
        }
    }
    if (!failed)
        return {};
    return crlf_lines({QStringLiteral("Unable to save out your SMS to the log file."), reason});
}

} // namespace zemble
