#include "session/send_job.h"

#include "addressbook/contact_store.h"
#include "core/compose_host.h"
#include "core/text.h"
#include "platform/message_box.h"

#include <QLocale>

namespace zemble {

QStringList split_recipients(const QString& to) {
    return to.split(QLatin1StringView(kRecipientSeparator));
}

QString recipient_number(const QString& entry) {
    return lookup_contact(trim_spaces(entry));
}

QStringList entries_without_number(const QStringList& entries) {
    QStringList out;
    for (const QString& entry : entries) {
        if (recipient_number(entry).isEmpty())
            out.append(trim_spaces(entry));
    }
    return out;
}

QString no_number_text(const QStringList& entries) {
    QStringList lines{QStringLiteral("Zemble is going to be unable to send your text message "
                                     "because these recipients have no phone number:"),
                      QString()};
    for (const QString& entry : entries)
        lines.append(QStringLiteral("   \u2022  ") +
                     (entry.isEmpty() ? QStringLiteral("(a blank entry)") : entry));
    lines << QString()
          << QStringLiteral("Nothing has been sent. Please check the To field and try again");
    return platform::crlf_lines(lines);
}

QString too_many_recipients_text() {
    return QStringLiteral("You cannot send SMS' to more than 30 recipients");
}

static QString requested_line(int total) {
    return QStringLiteral("You have requested that Zemble send %1 text messages via O2.")
        .arg(total);
}

QString message_warning_text(int total) {
    return platform::crlf_lines({
        requested_line(total),
        QString(),
        QStringLiteral(
            "You are reminded that sending excessive text messages may alert O2 into thinking"),
        QStringLiteral("you are spamming and may cause your account to be disabled."),
        QString(),
        QStringLiteral("Please be aware that the author of Zemble accepts no responsibility for "
                       "the actions"),
        QStringLiteral("of the O2 administrators through the usage of this software."),
        QString(),
        QStringLiteral("Would you like to continue and send these messages?"),
    });
}

QString too_many_messages_text(int total) {
    return platform::crlf_lines({
        requested_line(total),
        QString(),
        QStringLiteral("This number exceeds the maximum allowed and, as such, you will not be "
                       "able to continue."),
    });
}

int progress_steps(int total, bool confirmation, bool dont_logout, bool logged_in) {
    int steps = total + 3;
    if (confirmation)
        ++steps;
    if (dont_logout) {
        --steps;
        if (logged_in)
            --steps;
    }
    return steps;
}

QString percentage_text(int value, int maximum) {
    const qint64 percent = maximum > 0 ? qint64(value) * 100 / maximum : 0;
    return QString::number(percent) + QStringLiteral("% completed");
}

QString confirmation_text(qsizetype recipients, const QString& message, qint16 part_length) {
    const QString prefix = QStringLiteral("The following message was sent to ") +
                           QString::number(recipients) + QStringLiteral(" recipient") +
                           (recipients == 1 ? QString() : QStringLiteral("s")) +
                           QStringLiteral(": ");
    const qsizetype room = qMax<qsizetype>(0, part_length - prefix.size());
    return prefix + message.left(room);
}

QString sent_time_text(const QDateTime& when) {
    return QLocale(QLocale::English).toString(when, QStringLiteral("dddd d MMM yyyy, hh:mm:ss ap"));
}

} // namespace zemble
