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

// Answers the open dialog from a queue ("" = the user cancelled).
class ScriptedFileDialog final : public platform::FileDialogService {
public:
    QString openFile(const QString&, const QString& filters) override;
    QString saveFile(const QString&, const QString& filters) override {
        return openFile({}, filters);
    }
    QQueue<QString> answers;
    QStringList filtersAsked;
};

class RecordingHelp final : public platform::HelpService {
public:
    void showTopic(const QString& page) override { topics.append(page); }
    void showContents() override {}
    QStringList topics;
};

// Records pauses and lets a test act at each one (index, milliseconds).
class HookedPause final : public platform::PauseService {
public:
    void block(int milliseconds) override;
    void processEventsThenBlock(int milliseconds) override { block(milliseconds); }
    QList<int> blocked;
    std::function<void(int, int)> onBlock;
};

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
    HookedPause pauses;
    ScriptedFileDialog files;
    RecordingHelp help;
    platform::ScopedService<platform::MessageBoxService> messageGuard{&messages};
    platform::ScopedService<platform::PauseService> pauseGuard{&pauses};
    platform::ScopedService<platform::FileDialogService> fileGuard{&files};
    platform::ScopedService<platform::HelpService> helpGuard{&help};
};

} // namespace zemble::test
