#pragma once

#include <QString>

namespace zemble {

// Whether the gateway's password would cross the network unencrypted: the
// address is plain http (or names no scheme, which a client reads as http)
// and its host is not this machine (localhost, 127.0.0.0/8 or ::1).  An
// empty address, or one that is not http, sends nothing
// unencrypted and is not flagged.
bool gatewayPasswordInClear(const QString& address);

} // namespace zemble
