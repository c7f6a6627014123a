#pragma once

#include <QString>

namespace zemble {

// Appends the record of one sent message to the log file named by the
// "smsloglocation" setting, keeping only the last 200 lines of what was there
// before.  An empty setting means no log: nothing is written or shown.  A
// failure is told to the user ("Save error", with the file and the system's
// reason) and leaves the old log whole.  The log is its owner's alone.
void log_sent_message(const QString& to, const QString& message, const QString& when);

// How many lines of the old log survive each new record.
inline constexpr int kSentLogKeptLines = 200;

} // namespace zemble
