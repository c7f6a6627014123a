#include "compose/recipients.h"

#include "addressbook/contact_store.h"
#include "compose/compose_host.h"
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
    taken_.clear();
    filled_ = 0;
    int last = -1;
    for (const QString& piece : pieces) {
        const QString entry = trimSpaces(piece);
        const QString result = resolve_recipient(entry, max);
        if (!result.isEmpty() && !is_in_list(result, max)) {
            recipients_[++last] = result;
            taken_.insert(result);
            filled_ = last + 1;
        } else if (result.isEmpty() && !entry.isEmpty() && dropped)
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

    // The first entry whose whole name is the entry, or whose number is it
    // exactly while its name is not listed yet, wins; else the names that
    // begin with the entry and are not listed yet are the candidates.
    index_.update(store_, count);
    const QString lowerEntry = entry.toLower();
    int first = index_.firstWhole(lowerEntry);
    const auto before = [&first](int i) { return first < 0 || i < first; };
    for (const int i : index_.withNumber(entry)) {
        if (!before(i))
            break;
        if (!is_in_list(store_.names.at(i), max)) {
            first = i;
            break;
        }
    }
    for (const int i : index_.irregular()) {
        if (!before(i))
            break;
        if (store_.names.at(i).toLower() == lowerEntry) {
            first = i;
            break;
        }
    }
    if (first >= 0)
        return store_.names.at(first);

    // A name's first letters in lower case are as many as the entry's only
    // when the entry's letters each stay one letter.
    QList<int> prefixed;
    if (lowerEntry.size() == entry.size())
        prefixed = index_.beginningWith(lowerEntry);
    for (const int i : index_.irregular()) {
        if (store_.names.at(i).left(entry.size()).toLower() == lowerEntry)
            prefixed.append(i);
    }
    if (!index_.irregular().isEmpty())
        std::sort(prefixed.begin(), prefixed.end());
    QStringList candidates;
    for (const int i : std::as_const(prefixed)) {
        if (!is_in_list(store_.names.at(i), max))
            candidates.append(store_.names.at(i));
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
    if (last < 0)
        return false;
    // Slots 0..filled_-1 hold the names of taken_, the slots after them "".
    if (last >= filled_ - 1)
        return taken_.contains(name) || (name.isEmpty() && last >= filled_);
    for (int i = 0; i <= last; ++i) {
        if (recipients_.at(i) == name)
            return true;
    }
    return false;
}

} // namespace zemble
