#pragma once

#include <QString>

namespace zemble {

// Appends the record of one sent message to the log file named by the
// "smsloglocation" setting, keeping only the last 200 lines of what was there
// before.  An empty setting means no log: nothing is written.  Writers in
// other processes wait their turn, so each record is kept.  A failure, an
// old log that cannot be read included, leaves the old log whole; the result
// is then the text that tells the user ("Unable to save out your SMS to the
// log file.", the file and the reason), else "".  The log is its owner's alone.
QString log_sent_message(const QString& to, const QString& message, const QString& when);

// How many lines of the old log survive each new record.
inline constexpr int kSentLogKeptLines = 200;

} // namespace zemble
