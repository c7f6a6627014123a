#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <string_view>
#include <vector>

namespace zemble {

struct ContactStore;

// The address book's names (and numbers) arranged for finding a typed name
// quickly: each name's letters are brought to one case once per change of
// the book, kept sorted, so that a whole name is found by a binary search and
// the names beginning with a text are one run of the sorted list.
//
// A name whose letters do not each become exactly one other letter (rare:
// characters outside the contacts file's code page) is "irregular": it is not
// in the sorted list and the caller compares it the slow way.
class ContactNameIndex {
public:
    enum class Case {
        Lower,  // as QString::toLower
        Folded, // as Qt::CaseInsensitive comparisons
    };
    explicit ContactNameIndex(Case letterCase) : case_(letterCase) {}

    // Rebuilds the index when the store's first `count` entries are not the
    // ones it was built from.
    void update(const ContactStore& store, int count);

    // The text with its letters brought to the index's case, as a name is
    // for the index; empty when the text cannot be searched so (it holds a
    // surrogate pair and the case is Folded).
    QString key(const QString& text) const;

    // The first entry whose whole key is `key`, or -1; irregular names aside.
    int firstWhole(const QString& key) const;
    // The entries whose key begins with `key`, in entry order; irregular
    // names aside.
    QList<int> beginningWith(const QString& key) const;
    // The entries with a name that is not in the sorted list, in entry order.
    const QList<int>& irregular() const { return irregular_; }
    // The entries whose number is exactly `number`, in entry order.
    QList<int> withNumber(const QString& number) const;

private:
    bool current(const ContactStore& store, int count) const;

    Case case_;
    // The lists the index was built from; the store's own lists share their
    // data with these until the store changes them.
    QStringList names_;
    QStringList numbers_;
    int count_ = -1;
    // Every key's letters one after the other; a key is a stretch of them.
    std::vector<char16_t> letters_;
    struct Key {
        qsizetype from = 0;
        qsizetype size = 0;
        int entry = 0;
    };
    std::u16string_view keyText(const Key& key) const {
        return {letters_.data() + key.from, size_t(key.size)};
    }
    std::vector<Key> sorted_; // by key, then by entry
    QList<int> irregular_;
    std::vector<int> byNumber_; // entries by number, then by entry
};

} // namespace zemble
