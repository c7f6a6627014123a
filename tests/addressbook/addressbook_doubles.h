#pragma once

// An empty address book in a folder of its own, the platform's services doubled.

#include "addressbook/contact_store.h"
#include "support/doubles.h"

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
        QFile file(dir.filePath(QLatin1String(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QString write(const char* name, const QByteArray& bytes) const {
        QFile file(dir.filePath(QLatin1String(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", name);
        return file.fileName();
    }
    QTemporaryDir dir;
};

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
