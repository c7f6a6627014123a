#include "addressbook/name_index.h"

#include "addressbook/contact_store.h"

#include <QHash>

#include <algorithm>
#include <optional>

namespace zemble {

namespace {

// One character in lower case when it becomes exactly one character, as
// QString::toLower makes it; nothing when it becomes more (or is half of a
// surrogate pair).
std::optional<char16_t> lowerOne(char16_t c) {
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 0x20) : c;
    if (QChar::isSurrogate(c))
        return std::nullopt;
    static QHash<char16_t, std::optional<char16_t>> known;
    const auto found = known.constFind(c);
    if (found != known.constEnd())
        return *found;
    const QString lower = QString(QChar(c)).toLower();
    const std::optional<char16_t> one =
        lower.size() == 1 ? std::optional<char16_t>(lower.at(0).unicode()) : std::nullopt;
    known.insert(c, one);
    return one;
}

// Appends a name's key to `out`: every character brought to the case on its
// own.  False (and `out` as it was) when one of them cannot be.
bool appendKey(QStringView name, ContactNameIndex::Case letterCase, std::vector<char16_t>& out) {
    const size_t start = out.size();
    out.resize(start + size_t(name.size()));
    char16_t* to = out.data() + start;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            *to++ = (u >= u'A' && u <= u'Z') ? char16_t(u + 0x20) : u;
            continue;
        }
        std::optional<char16_t> one;
        if (c.isSurrogate())
            one = std::nullopt;
        else if (letterCase == ContactNameIndex::Case::Folded)
            one = c.toCaseFolded().unicode();
        else
            one = lowerOne(u);
        if (!one) {
            out.resize(start);
            return false;
        }
        *to++ = *one;
    }
    return true;
}

} // namespace

bool ContactNameIndex::current(const ContactStore& store, int count) const {
    // A store that changed its lists no longer shares their data with ours.
    return count == count_ && store.names.constData() == names_.constData() &&
           store.names.size() == names_.size() &&
           store.numbers.constData() == numbers_.constData() &&
           store.numbers.size() == numbers_.size();
}

void ContactNameIndex::update(const ContactStore& store, int count) {
    if (current(store, count))
        return;
    names_ = store.names;
    numbers_ = store.numbers;
    count_ = count;
    letters_.clear();
    sorted_.clear();
    irregular_.clear();
    byNumber_.clear();
    const int names = std::max(0, std::min<int>(count, int(names_.size())));
    qsizetype letters = 0;
    for (int i = 0; i < names; ++i)
        letters += names_.at(i).size();
    letters_.reserve(size_t(letters));
    sorted_.reserve(size_t(names));
    for (int i = 0; i < names; ++i) {
        const qsizetype from = qsizetype(letters_.size());
        if (appendKey(names_.at(i), case_, letters_))
            sorted_.push_back({from, qsizetype(letters_.size()) - from, i});
        else
            irregular_.append(i);
    }
    std::sort(sorted_.begin(), sorted_.end(), [this](const Key& a, const Key& b) {
        const int order = keyText(a).compare(keyText(b));
        return order != 0 ? order < 0 : a.entry < b.entry;
    });
    const int numbers = std::max(0, std::min<int>(count, int(numbers_.size())));
    byNumber_.resize(size_t(numbers));
    for (int i = 0; i < numbers; ++i)
        byNumber_[size_t(i)] = i;
    std::sort(byNumber_.begin(), byNumber_.end(), [this](int a, int b) {
        const QString& x = numbers_.at(a);
        const QString& y = numbers_.at(b);
        return x != y ? x < y : a < b;
    });
}

QString ContactNameIndex::key(const QString& text) const {
    if (case_ == Case::Lower)
        return text.toLower();
    std::vector<char16_t> key;
    if (!appendKey(text, case_, key))
        return {};
    return QString(reinterpret_cast<const QChar*>(key.data()), qsizetype(key.size()));
}

namespace {

std::u16string_view view(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())};
}

} // namespace

int ContactNameIndex::firstWhole(const QString& key) const {
    // Equal keys are sorted by entry, so the first is the earliest.
    const std::u16string_view wanted = view(key);
    const auto at =
        std::lower_bound(sorted_.begin(), sorted_.end(), wanted,
                         [this](const Key& k, std::u16string_view w) { return keyText(k) < w; });
    return at != sorted_.end() && keyText(*at) == wanted ? at->entry : -1;
}

QList<int> ContactNameIndex::beginningWith(const QString& key) const {
    const std::u16string_view wanted = view(key);
    QList<int> entries;
    auto at =
        std::lower_bound(sorted_.begin(), sorted_.end(), wanted,
                         [this](const Key& k, std::u16string_view w) { return keyText(k) < w; });
    for (; at != sorted_.end() && keyText(*at).substr(0, wanted.size()) == wanted; ++at)
        entries.append(at->entry);
    std::sort(entries.begin(), entries.end());
    return entries;
}

QList<int> ContactNameIndex::withNumber(const QString& number) const {
    const auto first =
        std::lower_bound(byNumber_.begin(), byNumber_.end(), number,
                         [this](int entry, const QString& n) { return numbers_.at(entry) < n; });
    QList<int> entries;
    for (auto at = first; at != byNumber_.end() && numbers_.at(*at) == number; ++at)
        entries.append(*at);
    return entries;
}

} // namespace zemble
