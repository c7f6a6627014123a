#pragma once

#include <QString>

namespace zemble {

// The one in-memory record of the running session, alive for the whole run.
struct SessionState {
    // Portal account for the next log-on; the password in plain text, never
    // written to the settings from here.
    QString session_username;
    QString session_password;
    // A portal session from an earlier send job is still open.
    bool logged_in = false;
    // Characters per message part, fixed by the last count.
    qint16 part_length = 115;
    // Texts remaining as last read from the site; -1 is unknown.
    qint16 quota_free = -1;
    qint16 quota_paid = -1;
    // To text followed directly by the message text of the last completed send,
    // and when it happened.
    QString last_sent_key;
    QString last_sent_time;
};

SessionState& session();

} // namespace zemble
