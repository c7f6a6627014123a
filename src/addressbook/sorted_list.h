#pragma once

#include <QCollator>
#include <QString>
#include <QStringList>

class QListWidget;

namespace zemble {

// The order of every list of names the user picks from (the address book's
// contacts and recipients, the name chooser): alphabetical by the locale's
// collation, letter case ignored, accents deciding only between names that
// are otherwise the same.  Names that still tie keep the order they came in.
// In the C locale the collation is the characters' order, case ignored.
class NameOrder {
public:
    NameOrder();

    bool less(const QString& a, const QString& b) const;
    // Sorts stably.
    QStringList sorted(QStringList texts) const;

private:
    QCollator collator_;
    bool plain_;
};

// Fills a list with the texts in name order.
void fillSorted(QListWidget* list, QStringList texts);
// Adds texts already in name order to a list in that order, keeping the
// list's selection and current item; a new text equal to a listed one goes
// after it.
void mergeSorted(QListWidget* list, const QStringList& sortedTexts);

} // namespace zemble
