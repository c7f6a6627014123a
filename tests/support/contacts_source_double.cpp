#include "support/contacts_source_double.h"

namespace zemble::test {

bool FakeContactsSource::connect() {
    ++connects;
    position_ = -1;
    connected_ = reachable;
    return reachable;
}

bool FakeContactsSource::nextItem() {
    if (!connected_ || position_ + 1 >= items.size())
        return false;
    ++position_;
    ++itemsVisited;
    if (onItem)
        onItem(position_);
    return true;
}

QString FakeContactsSource::itemProperty(const QString& name) {
    propertiesRead.append(name);
    if (!connected_ || position_ < 0 || position_ >= items.size())
        return {};
    return items[position_].value(name);
}

void FakeContactsSource::release() {
    ++releases;
    connected_ = false;
}

void FakeContactsSource::addContact(const QString& mobile, const QString& last,
                                    const QString& first) {
    Item item;
    if (!mobile.isNull())
        item.insert(QString::fromLatin1(platform::contactProperties::mobile), mobile);
    if (!last.isNull())
        item.insert(QString::fromLatin1(platform::contactProperties::lastName), last);
    if (!first.isNull())
        item.insert(QString::fromLatin1(platform::contactProperties::firstName), first);
    items.append(item);
}

} // namespace zemble::test
