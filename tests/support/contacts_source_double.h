#pragma once

// A contacts folder held in memory, for the direct import.

#include "platform/contacts_source.h"

#include <QtCore>
#include <functional>

namespace zemble::test {

class FakeContactsSource final : public platform::ContactsSourceService {
public:
    using Item = QMap<QString, QString>; // property name -> value; absent = lacking

    bool connect() override { return position_ = -1, connected_ = reachable; }
    bool nextItem() override {
        if (!connected_ || position_ + 1 >= items.size())
            return false;
        ++position_;
        if (onItem)
            onItem(position_);
        return true;
    }
    QString itemProperty(const QString& name) override {
        propertiesRead.append(name);
        return connected_ && position_ >= 0 ? items.value(position_).value(name) : QString();
    }
    void release() override { ++releases, connected_ = false; }

    // An item with the three properties the import reads; a null QString leaves one out.
    void addContact(const QString& mobile, const QString& last, const QString& first) {
        namespace p = platform::contactProperties;
        Item item;
        for (const auto& [name, value] :
             {std::pair{p::mobile, mobile}, {p::lastName, last}, {p::firstName, first}})
            if (!value.isNull())
                item.insert(QString::fromLatin1(name), value);
        items.append(item);
    }

    QList<Item> items;
    bool reachable = true;           // false: the folder cannot be reached
    std::function<void(int)> onItem; // on moving to item i, before its properties are read
    int releases = 0;
    QStringList propertiesRead;

private:
    int position_ = -1;
    bool connected_ = false;
};

} // namespace zemble::test
