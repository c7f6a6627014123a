#include "compose/recipients.h"

#include "addressbook/contact_store.h"
#include "core/compose_host.h"
#include "core/phone.h"
#include "core/text.h"

#include <algorithm>

namespace zemble {

RecipientsField::RecipientsField(const ContactStore& store, NameChooser* chooser)
    : store_(store), chooser_(chooser) {}

void RecipientsField::txtTo_LostFocus(ComposeHost& compose) {
    const std::optional<QString> normalised = normaliseRecipientText(compose.toText());
    if (!normalised)
        return;
    compose.setToText(*normalised);
    compose.updateStatusBar();
}

std::optional<QString> RecipientsField::normaliseRecipientText(const QString& text,
                                                               QStringList* dropped) {
    // While the chooser waits for an answer, window events run; a second
    // normalisation started from one of them would rebuild the list under
    // the first one's feet.
    if (busy_)
        return std::nullopt;
    if (trimSpaces(text).isEmpty())
        return std::nullopt;
    busy_ = true;

    const QStringList pieces = text.split(u';');
    const int max = int(pieces.size()) - 1; // the number of semicolons
    recipients_ = QStringList(pieces.size(), QString());
    int last = -1;
    for (const QString& piece : pieces) {
        const QString entry = trimSpaces(piece);
        const QString result = resolve_recipient(entry, max);
        if (!result.isEmpty() && !is_in_list(result, max))
            recipients_[++last] = result;
        else if (result.isEmpty() && !entry.isEmpty() && dropped)
            dropped->append(entry);
    }

    busy_ = false;
    return recipients_.mid(0, last + 1).join(QLatin1StringView(kRecipientSeparator));
}

QString RecipientsField::resolve_recipient(const QString& entry, int max) {
    const int count =
        std::min<int>({store_.count, int(store_.names.size()), int(store_.numbers.size())});
    if (entry.isEmpty() || count <= 0)
        return normalise_number(entry);

    const QString lowerEntry = entry.toLower();
    QStringList candidates;
    for (int i = 0; i < count; ++i) {
        const QString& name = store_.names.at(i);
        if (name.toLower() == lowerEntry)
            return name;
        if (name.left(entry.size()).toLower() == lowerEntry && !is_in_list(name, max))
            candidates.append(name);
        if (entry == store_.numbers.at(i) && !is_in_list(name, max))
            return name;
    }

    if (candidates.size() == 1)
        return candidates.first();
    if (candidates.size() > 1) {
        if (!chooser_)
            return entry;
        return chooser_->Main(candidates.join(u';'), int(candidates.size()), entry);
    }
    return normalise_number(entry);
}

bool RecipientsField::is_in_list(const QString& name, int max) const {
    const int last = std::min<int>(max, int(recipients_.size()) - 1);
    for (int i = 0; i <= last; ++i) {
        if (recipients_.at(i) == name)
            return true;
    }
    return false;
}

} // namespace zemble
