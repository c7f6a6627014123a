#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace zemble {

// The pieces of a send job that do not need a window: how the To text is
// read, how progress is counted and shown, and the texts the job builds.

// Entries of a recipient list, split at " ; " exactly as the To field holds
// them (empty entries kept).
QStringList split_recipients(const QString& to);

// The number an entry is sent to: the address book look-up of the entry
// without its surrounding spaces; "" when it names no number.
QString recipient_number(const QString& entry);

// The entries that name no number, without their surrounding spaces (a blank
// entry as ""), and the text of the box that lists them.
QStringList entries_without_number(const QStringList& entries);
QString no_number_text(const QStringList& entries);

// The most recipients and messages one job may send while the limit is on,
// and the total above which the user is asked first.
inline constexpr int kMaxRecipients = 30;
inline constexpr int kMaxMessages = 30;
inline constexpr int kWarnMessages = 10;

// Texts of the three limit messages.
QString too_many_recipients_text();
QString message_warning_text(int total);
QString too_many_messages_text(int total);

// Progress steps of a job: log on, every part, the confirmation, the quota
// check, log off; a kept session skips log-off, and log-on too when it is
// already open.
int progress_steps(int total, bool confirmation, bool dont_logout, bool logged_in);

// "57% completed": the whole-number percentage of value out of maximum.
QString percentage_text(int value, int maximum);

// The copy sent to the user's own phone: "The following message was sent to
// N recipient(s): " and as much of the message as fits in one part.
QString confirmation_text(qsizetype recipients, const QString& message, qint16 part_length);

// "Thursday 22 May 2003, 07:03:09 pm", in English whatever the machine's
// language.
QString sent_time_text(const QDateTime& when);

} // namespace zemble
