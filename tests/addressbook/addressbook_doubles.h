#pragma once

// An empty address book in a folder of its own, the platform's services doubled.

#include "addressbook/contact_store.h"
#include "addressbook/contacts_window.h"
#include "support/doubles.h"
#include "support/fake_compose_host.h"
#include "support/files.h"

#include <QListWidget>
#include <QTest>

namespace zemble::test {

struct AddressBookFixture : QuietPlatform {
    AddressBookFixture() { reset(dir.path()); }
    ~AddressBookFixture() { reset({}); }
    static void reset(const QString& folder) {
        contacts() = ContactStore{};
        setContactsFolder(folder);
        // The store's problems are told in message boxes, as the program tells them.
        setContactsProblemHandler(
            folder.isEmpty() ? ContactsProblemHandler{}
                             : [](const QString& title, const QString& text) {
                                   platform::messageBox(title, text, platform::Icon::Exclamation);
                               });
    }
    // The file's bytes, or "<missing>".
    QByteArray read(const char* name = "zemble_contacts.txt") const {
        return readWhole(dir.filePath(QLatin1String(name)));
    }
    QString write(const char* name, const QByteArray& bytes) const {
        QFile file(dir.filePath(QLatin1String(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", name);
        return file.fileName();
    }
    QTemporaryDir dir;
};

// The address book window's owner over that book, opened for a compose window double.
struct AddressBookWindows {
    AddressBookFixture fx;
    FakeComposeHost host;
    AddressBook book{host};
};

// A list's item texts, top to bottom.
inline QStringList itemTexts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

// One entry of the address book.
struct Entry {
    QString name;
    QString number;
    bool operator==(const Entry&) const = default;
};
using Entries = QList<Entry>;

inline char* toString(const Entry& entry) {
    return QTest::toString(entry.name + QStringLiteral(" with ") + entry.number);
}

// Adds entries without the duplicate test.
inline void addEntries(const Entries& entries) {
    for (const Entry& entry : entries)
        add_contact(entry.name, entry.number, false);
}

// The entries in use, in store order.
inline Entries bookEntries() {
    Entries out;
    for (int i = 0; i < contacts().count; ++i)
        out.append({contacts().names.at(i), contacts().numbers.at(i)});
    return out;
}

} // namespace zemble::test
