#include "addressbook_doubles.h"

#include <QFile>

namespace zemble::test {

AddressBookFixture::AddressBookFixture() {
    contacts() = ContactStore{};
    set_contacts_folder(dir.path());
}

AddressBookFixture::~AddressBookFixture() {
    contacts() = ContactStore{};
    set_contacts_folder({});
}

QByteArray AddressBookFixture::read(const QString& path) const {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString AddressBookFixture::writeFile(const QString& name, const QByteArray& bytes) const {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

void AddressBookFixture::addContacts(const QStringList& entries) {
    for (const QString& entry : entries)
        add_contact(entry.section(u';', 0, 0), entry.section(u';', 1), false);
}

} // namespace zemble::test
