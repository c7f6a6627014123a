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

    bool connect() override;
    bool nextItem() override;
    QString itemProperty(const QString& name) override;
    void release() override;

    // Adds an item with the three properties the import reads; pass a null
    // QString to leave one out.
    void addContact(const QString& mobile, const QString& last, const QString& first);

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
