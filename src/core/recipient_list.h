#pragma once

#include <QString>
#include <QStringList>

namespace zemble {

// Entries of a recipient list (the To field) are joined by this separator.
inline constexpr auto kRecipientSeparator = " ; ";

// Entries of a recipient list, split at the separator exactly as the To field
// holds them (empty entries kept).
inline QStringList splitRecipients(const QString& to) {
    return to.split(QLatin1StringView(kRecipientSeparator));
}

} // namespace zemble
