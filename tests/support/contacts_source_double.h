#pragma once

// A contacts folder held in memory, for the direct import.

#include "platform/contacts_source.h"

#include <QList>
#include <QMap>
#include <QString>
#include <functional>

namespace zemble::test {

class FakeContactsSource final : public platform::ContactsSourceService {
public:
    using Item = QMap<QString, QString>; // property name -> value; absent = lacking

    bool connect() override {
        position_ = -1;
        return connected_ = reachable;
    }
    bool nextItem() override {
        if (!connected_ || position_ + 1 >= items.size())
            return false;
        if (onItem)
            onItem(++position_);
        else
            ++position_;
        return true;
    }
    QString itemProperty(const QString& name) override {
        propertiesRead.append(name);
        return connected_ && position_ >= 0 && position_ < items.size()
                   ? items[position_].value(name)
                   : QString();
    }
    void release() override { ++releases, connected_ = false; }

    // Adds an item with the three properties the import reads; pass a null
    // QString to leave one out.
    void addContact(const QString& mobile, const QString& last, const QString& first) {
        Item item;
        for (const auto& [name, value] : {std::pair{platform::contact_properties::mobile, mobile},
                                          {platform::contact_properties::lastName, last},
                                          {platform::contact_properties::firstName, first}})
            if (!value.isNull())
                item.insert(QString::fromLatin1(name), value);
        items.append(item);
    }

    bool reachable = true;
    QList<Item> items;
    // Runs when the walk moves to item i (before its properties are read).
    std::function<void(int)> onItem;

    int releases = 0;
    QStringList propertiesRead;

private:
    int position_ = -1;
    bool connected_ = false;
};

} // namespace zemble::test
