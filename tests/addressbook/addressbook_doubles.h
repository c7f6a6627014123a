#pragma once

// Doubles and a fixture shared by the address book tests.

#include "addressbook/contact_store.h"
#include "platform/file_dialog.h"
#include "platform/help.h"
#include "support/doubles.h"

#include <QQueue>
#include <QTemporaryDir>
#include <functional>

namespace zemble::test {

// An empty address book in a folder of its own, with every platform service
// a window may reach replaced by a double.
struct AddressBookFixture {
    AddressBookFixture();
    ~AddressBookFixture();

    QString mainFile() const { return dir.filePath(QStringLiteral("zemble_contacts.txt")); }
    QString backupFile() const { return dir.filePath(QStringLiteral("zemble_contacts.bak")); }
    // The file's bytes, or "<missing>".
    QByteArray read(const QString& path) const;
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    // Entries given as "name;number".
    void addContacts(const QStringList& entries);
    QStringList storedNames() const { return contacts().names.mid(0, contacts().count); }

    QTemporaryDir dir;
    RecordingMessageBox messages;
    RecordingPause pauses;
    ScriptedFileDialog files;
    RecordingHelp help;
    platform::ScopedService<platform::MessageBoxService> messageGuard{&messages};
    platform::ScopedService<platform::PauseService> pauseGuard{&pauses};
    platform::ScopedService<platform::FileDialogService> fileGuard{&files};
    platform::ScopedService<platform::HelpService> helpGuard{&help};
};

} // namespace zemble::test
