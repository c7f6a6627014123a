#include "addressbook/sorted_list.h"

#include <QItemSelection>
#include <QListWidget>

#include <algorithm>
#include <iterator>
#include <vector>

namespace zemble {

NameOrder::NameOrder() : plain_(collator_.locale().language() == QLocale::C) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

bool NameOrder::less(const QString& a, const QString& b) const {
    return collator_.compare(a, b) < 0;
}

namespace {

// Sorts stably by a key made once per text, so that each comparison is a
// plain one.
template <class MakeKey, class Less>
QStringList sortedByKey(QStringList texts, MakeKey makeKey, Less less) {
    using Key = decltype(makeKey(QString()));
    std::vector<std::pair<Key, QString>> keyed;
    keyed.reserve(size_t(texts.size()));
    for (QString& text : texts) {
        Key key = makeKey(text);
        keyed.emplace_back(std::move(key), std::move(text));
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [&](const auto& a, const auto& b) { return less(a.first, b.first); });
    QStringList out;
    out.reserve(qsizetype(keyed.size()));
    for (auto& entry : keyed)
        out.append(std::move(entry.second));
    return out;
}

} // namespace

QStringList NameOrder::sorted(QStringList texts) const {
    // The collator's own keys heed letter case in the C locale; the
    // case-folded text is the key there.
    if (plain_) {
        return sortedByKey(
            std::move(texts), [](const QString& text) { return text.toCaseFolded(); },
            [](const QString& a, const QString& b) { return a < b; });
    }
    return sortedByKey(
        std::move(texts), [this](const QString& text) { return collator_.sortKey(text); },
        [](const QCollatorSortKey& a, const QCollatorSortKey& b) { return a.compare(b) < 0; });
}

void fillSorted(QListWidget* list, QStringList texts) {
    list->clear();
    list->addItems(NameOrder().sorted(std::move(texts)));
}

void mergeSorted(QListWidget* list, const QStringList& sortedTexts) {
    struct Entry {
        QString text;
        bool selected = false;
        bool current = false;
    };
    std::vector<Entry> old;
    old.reserve(size_t(list->count()));
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem* item = list->item(i);
        old.push_back({item->text(), item->isSelected(), item == list->currentItem()});
    }
    std::vector<Entry> fresh;
    fresh.reserve(size_t(sortedTexts.size()));
    for (const QString& text : sortedTexts)
        fresh.push_back({text});
    std::vector<Entry> merged;
    merged.reserve(old.size() + fresh.size());
    // Equal names keep the listed one first, as a one-by-one insertion would.
    const NameOrder order;
    std::merge(old.begin(), old.end(), fresh.begin(), fresh.end(), std::back_inserter(merged),
               [&](const Entry& a, const Entry& b) { return order.less(a.text, b.text); });
    QStringList texts;
    texts.reserve(qsizetype(merged.size()));
    for (const Entry& entry : merged)
        texts.append(entry.text);
    list->clear();
    list->addItems(texts);
    QItemSelection selection;
    for (int row = 0; row < int(merged.size()); ++row) {
        if (merged[size_t(row)].current)
            list->setCurrentRow(row, QItemSelectionModel::NoUpdate);
        if (merged[size_t(row)].selected) {
            const QModelIndex index = list->model()->index(row, 0);
            selection.select(index, index);
        }
    }
    if (!selection.isEmpty())
        list->selectionModel()->select(selection, QItemSelectionModel::Select);
}

} // namespace zemble
