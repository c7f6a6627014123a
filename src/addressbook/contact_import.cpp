#include "addressbook/contact_import.h"

#include "addressbook/contact_store.h"
#include "addressbook/csv_import.h"
#include "core/cp1252.h"
#include "core/line_reader.h"
#include "core/phone.h"
#include "platform/contacts_source.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/pause.h"
#include "platform/service.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace zemble {
namespace {

constexpr int kRecordPauseMs = 100;
constexpr int kEndPauseMs = 500;
// Within one long line, window events are handled this often (in characters)
// so that the Cancel button can run before the line is finished.
constexpr int kCharactersBetweenEvents = 4096;

void handlePendingEvents() {
    QCoreApplication::processEvents();
}

QString property(platform::ContactsSourceService& source, const char* name) {
    return source.itemProperty(QString::fromLatin1(name));
}

// An overwrite starts from an empty address book; the slots keep their
// capacity and hold empty strings, as after deleting every entry.  Entries
// kept past the limit and the lines that are not entries go too: the backup
// holds them.
void emptyAddressBook() {
    clearContacts();
}

void tellUnreachableContacts() {
    platform::messageBox(QStringLiteral("Contacts error"),
                         QStringLiteral("Zemble was unable to access your contacts. This is "
                                        "probably because you don't have Outlook installed.") +
                             QStringLiteral("\r\n\r\n"),
                         platform::Icon::Information);
}

void tellUnreadableFile(const QString& path, const QString& reason) {
    platform::messageBox(
        QStringLiteral("Contacts error"),
        platform::crlfLines({QStringLiteral("Zemble was unable to open the contacts file"),
                             QDir::toNativeSeparators(path), reason,
                             QStringLiteral("Your address book has not been changed.")}),
        platform::Icon::Information);
}

void tellComplete() {
    platform::messageBox(
        QStringLiteral("Backup information"),
        platform::crlfLines(
            {QStringLiteral("Import complete."), QString(),
             QStringLiteral("Your previous address book has been backed up to "
                            "'zemble_contacts.bak'."),
             QStringLiteral("If you wish to go to the backup, close Zemble, rename this to "
                            "'zemble_contacts.txt'"),
             QStringLiteral("and then re-run Zemble.")}),
        platform::Icon::Information);
}

// Adds one record by the name rule; true when the address book took it.
bool addRecord(const QString& last, const QString& first, const QString& mobile, bool append) {
    const QString number = normalise_number(mobile);
    const QString name = importContactName(last, first);
    return !number.isEmpty() && !name.isEmpty() && add_contact(name, number, append);
}

// Backs the address book up and, for an overwrite, empties it.  False when
// the backup could not be written (the store has told the user why).
bool prepareAddressBook(bool append) {
    if (!save_contacts(true))
        return false;
    if (!append)
        emptyAddressBook();
    return true;
}

void walkDirectItems(platform::ContactsSourceService& source, bool append, ImportProgress& progress,
                     ImportResult& result) {
    while (source.nextItem()) {
        if (progress.cancelRequested()) {
            result.cancelled = true;
            return;
        }
        const QString mobile = property(source, platform::contactProperties::mobile);
        if (!mobile.isEmpty()) {
            const QString last = property(source, platform::contactProperties::lastName);
            const QString first = property(source, platform::contactProperties::firstName);
            if (addRecord(last, first, mobile, append))
                ++result.added;
            if (progress.cancelRequested()) {
                result.cancelled = true;
                return;
            }
        }
        ++result.examined;
        progress.report(result.examined, result.added);
        handlePendingEvents();
        if (progress.cancelRequested()) {
            result.cancelled = true;
            return;
        }
        handlePendingEvents();
        platform::pauseBlocking(kRecordPauseMs);
        handlePendingEvents();
    }
}

void walkCsvLines(QIODevice& file, bool append, ImportProgress& progress, ImportResult& result) {
    // The mail program's export ends its lines with CR LF; a lone LF is part
    // of a field.
    LineReader reader(file, LineEnds::CrLfOrCr);
    if (!reader.atEnd())
        reader.readLine(); // the header line names the columns; their places are fixed
    int sinceEvents = 0;
    const CsvStopCheck stop = [&]() {
        if (++sinceEvents >= kCharactersBetweenEvents) {
            sinceEvents = 0;
            handlePendingEvents();
        }
        return progress.cancelRequested();
    };
    CsvFields fields;
    while (!reader.atEnd()) {
        const QString line = fromCp1252(reader.readLine());
        if (!splitCsvLine(line, fields, stop)) {
            result.cancelled = true;
            return;
        }
        const QString& mobile = fields[kCsvMobile];
        const QString& last = fields[kCsvLastName];
        if (!mobile.isEmpty() && !last.isEmpty()) {
            if (addRecord(last, fields[kCsvFirstName], mobile, append))
                ++result.added;
            if (progress.cancelRequested()) {
                result.cancelled = true;
                return;
            }
        }
        ++result.examined;
        progress.report(result.examined, result.added);
        handlePendingEvents();
        sinceEvents = 0;
        platform::pauseBlocking(kRecordPauseMs);
        if (progress.cancelRequested()) {
            result.cancelled = true;
            return;
        }
    }
}

ImportResult import_csv(bool append, ImportProgress& progress) {
    ImportResult result;
    const QString path = platform::chooseOpenFile(
        QStringLiteral("Open"), QStringLiteral("Comma separated files (*.csv)|*.csv"));
    if (path.isEmpty())
        return result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        tellUnreadableFile(path, file.errorString());
        result.outcome = ImportResult::Outcome::Unreachable;
        return result;
    }
    if (!prepareAddressBook(append)) {
        result.outcome = ImportResult::Outcome::BackupFailed;
        return result;
    }
    result.outcome = ImportResult::Outcome::Finished;
    progress.begin();
    walkCsvLines(file, append, progress, result);
    file.close();
    platform::pauseBlocking(kEndPauseMs);
    progress.end();
    return result;
}

ImportResult importDirect(bool append, ImportProgress& progress) {
    ImportResult result;
    auto& source = platform::use<platform::ContactsSourceService>();
    progress.begin();
    if (!source.connect()) {
        source.release();
        progress.end();
        tellUnreachableContacts();
        result.outcome = ImportResult::Outcome::Unreachable;
        return result;
    }
    if (!prepareAddressBook(append)) {
        source.release();
        progress.end();
        result.outcome = ImportResult::Outcome::BackupFailed;
        return result;
    }
    result.outcome = ImportResult::Outcome::Finished;
    walkDirectItems(source, append, progress, result);
    source.release();
    platform::pauseBlocking(kEndPauseMs);
    progress.end();
    return result;
}

} // namespace

QString importProgressText(int examined, int added) {
    return QStringLiteral("Accessing contacts list ... (%1 found, %2 added)")
        .arg(examined)
        .arg(added);
}

ImportResult importContacts(ImportSource source, bool append, ImportProgress& progress) {
    ImportResult result = source == ImportSource::Direct ? importDirect(append, progress)
                                                         : import_csv(append, progress);
    if (result.outcome != ImportResult::Outcome::Finished)
        return result;
    result.saved = save_contacts(false);
    // A save that failed has been told to the user; the imported entries
    // stay in memory, but the import is not called complete.
    if (result.saved)
        tellComplete();
    return result;
}

} // namespace zemble
