#pragma once

// Doubles and fixtures shared by the address book tests.

#include "addressbook/contact_store.h"
#include "platform/file_dialog.h"
#include "platform/help.h"
#include "platform/pause.h"
#include "platform/service.h"
#include "support/doubles.h"

#include <QQueue>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace zemble::test {

// Answers open/save requests from a queue ("" = the user cancelled).
class ScriptedFileDialog final : public platform::FileDialogService {
public:
    QString openFile(const QString& title, const QString& filters) override;
    QString saveFile(const QString& title, const QString& filters) override;
    QQueue<QString> answers;
    QStringList filtersAsked;
};

class RecordingHelp final : public platform::HelpService {
public:
    void showTopic(const QString& page) override { topics.append(page); }
    void showContents() override { topics.append(QStringLiteral("<contents>")); }
    QStringList topics;
};

// Records pauses and lets a test act at a given pause.
class HookedPause final : public platform::PauseService {
public:
    void block(int milliseconds) override;
    void processEventsThenBlock(int milliseconds) override;
    QList<int> blocked;
    std::function<void(int index, int milliseconds)> onBlock;
};

// An empty address book kept in a folder of its own, with every platform
// service a window may reach replaced by a double.
struct AddressBookFixture {
    AddressBookFixture();
    ~AddressBookFixture();

    QString mainFile() const;
    QString backupFile() const;
    // The file's bytes, or "<missing>".
    QByteArray read(const QString& path) const;
    // Writes Windows-1252 bytes into the folder and returns the path.
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    void addContacts(const QStringList& nameSemicolonNumber);
    QStringList storedNames() const;

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
