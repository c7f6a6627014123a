#include "addressbook_doubles.h"

#include <QDir>
#include <QFile>

namespace zemble::test {

QString ScriptedFileDialog::openFile(const QString&, const QString& filters) {
    filtersAsked.append(filters);
    return answers.isEmpty() ? QString() : answers.dequeue();
}

QString ScriptedFileDialog::saveFile(const QString&, const QString& filters) {
    filtersAsked.append(filters);
    return answers.isEmpty() ? QString() : answers.dequeue();
}

void HookedPause::block(int milliseconds) {
    blocked.append(milliseconds);
    if (onBlock)
        onBlock(int(blocked.size()) - 1, milliseconds);
}

void HookedPause::processEventsThenBlock(int milliseconds) {
    block(milliseconds);
}

AddressBookFixture::AddressBookFixture() {
    contacts() = ContactStore{};
    set_contacts_folder(dir.path());
}

AddressBookFixture::~AddressBookFixture() {
    contacts() = ContactStore{};
    set_contacts_folder({});
}

QString AddressBookFixture::mainFile() const {
    return dir.filePath(QStringLiteral("zemble_contacts.txt"));
}

QString AddressBookFixture::backupFile() const {
    return dir.filePath(QStringLiteral("zemble_contacts.bak"));
}

QByteArray AddressBookFixture::read(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

QString AddressBookFixture::writeFile(const QString& name, const QByteArray& bytes) const {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

void AddressBookFixture::addContacts(const QStringList& nameSemicolonNumber) {
    for (const QString& entry : nameSemicolonNumber) {
        const QStringList parts = entry.split(u';');
        add_contact(parts.at(0), parts.at(1), false);
    }
}

QStringList AddressBookFixture::storedNames() const {
    return contacts().names.mid(0, contacts().count);
}

} // namespace zemble::test
