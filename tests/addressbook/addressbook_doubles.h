#pragma once

// An empty address book in a folder of its own, the platform's services doubled.

#include "addressbook/contact_store.h"
#include "addressbook/contacts_window.h"
#include "support/doubles.h"
#include "support/fake_compose_host.h"
#include "support/files.h"

#include <QListWidget>

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

// Adds entries given as "name;number" without the duplicate test.
inline void addEntries(const QStringList& entries) {
    for (const QString& entry : entries)
        add_contact(entry.section(u';', 0, 0), entry.section(u';', 1), false);
}

// The entries in use, as "name;number" joined by "|".
inline QString entries() {
    QStringList out;
    for (int i = 0; i < contacts().count; ++i)
        out << contacts().names.at(i) + u';' + contacts().numbers.at(i);
    return out.join(u'|');
}

} // namespace zemble::test
