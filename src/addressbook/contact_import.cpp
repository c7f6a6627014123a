#include "addressbook/contact_import.h"

#include "addressbook/contact_store.h"
#include "addressbook/csv_import.h"
#include "addressbook/vcard_import.h"
#include "core/message_parts.h"
#include "core/phone.h"
#include "platform/contacts_source.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/pause.h"
#include "platform/service.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <functional>
#include <optional>
#include <variant>

namespace zemble {
namespace {

constexpr int kRecordPauseMs = 100;
constexpr int kEndPauseMs = 500;
// While a file is read, window events are handled this often (in characters
// of a CSV file, in lines of a vCard file) so that the Cancel button can run.
constexpr int kCharactersBetweenEvents = 4096;
constexpr int kLinesBetweenEvents = 256;
// While records are added, window events are handled after a record once
// this long has passed since they last were: after every record when each is
// followed by its pause, and still often enough for a Cancel to be seen at
// once when records come fast.
constexpr int kEventsEveryMs = 10;

void handlePendingEvents() {
    QCoreApplication::processEvents();
}

// Handles window events when kEventsEveryMs have passed since the last time.
// Handling them asks the system for new input, which costs far more than
// adding one record.
class EventTurns {
public:
    void handleWhenDue() {
        if (since_.isValid() && !since_.hasExpired(kEventsEveryMs))
            return;
        handlePendingEvents();
        since_.start();
    }

private:
    QElapsedTimer since_;
};

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

void tellRejectedFile(const QString& first, const QString& path, const QString& why) {
    platform::messageBox(QStringLiteral("Contacts error"),
                         platform::crlfLines({first, QDir::toNativeSeparators(path), why,
                                              QStringLiteral("Your address book has not been "
                                                             "changed.")}),
                         platform::Icon::Information);
}

void tellUnrecognisedCsv(const QString& path) {
    tellRejectedFile(
        QStringLiteral("Zemble did not recognise the contacts file"), path,
        QStringLiteral("It looks for a header row with %1.").arg(csvColumnsLookedFor()));
}

void tellUnrecognisedVCard(const QString& path) {
    tellRejectedFile(QStringLiteral("Zemble did not recognise the contacts file"), path,
                     QStringLiteral("It looks for contact cards, each from BEGIN:VCARD to "
                                    "END:VCARD."));
}

void tellNothingUsable(const QString& path, qsizetype records) {
    tellRejectedFile(QStringLiteral("The contacts file holds no UK mobile numbers"), path,
                     QStringLiteral("None of its %1 record%2 has both a name and a UK mobile "
                                    "number.")
                         .arg(records)
                         .arg(plural_s(records)));
}

void tellAbandoned() {
    platform::messageBox(
        QStringLiteral("Import cancelled"),
        platform::crlfLines({QStringLiteral("Import cancelled."),
                             QStringLiteral("No contacts were added; your "
                                            "address book has not been changed.")}),
        platform::Icon::Information);
}

QString counted(int count, const char* what) {
    return QStringLiteral("%1 %2%3").arg(count).arg(QLatin1StringView(what)).arg(plural_s(count));
}

// Takes one record by its name and number; every record is counted once as
// added, without a mobile number, without a name, already there or without room.
void takeRecord(const QString& name, const QString& mobile, bool append, ImportResult& result) {
    const QString number = normalise_number(mobile);
    if (number.isEmpty()) {
        ++result.withoutMobile;
    } else if (name.isEmpty()) {
        ++result.withoutName;
    } else if (add_contact(name, number, append)) {
        ++result.added;
        if (storableContactName(name) != name)
            ++result.renamed;
    } else if (contacts().count >= kMaxContacts) {
        ++result.noRoom;
    } else {
        ++result.alreadyThere;
    }
}

bool usable(const ImportedContact& contact) {
    return !contact.name.isEmpty() && !normalise_number(contact.mobile).isEmpty();
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
    const ContactBatch batch;
    while (source.nextItem()) {
        if (progress.cancelRequested()) {
            result.cancelled = true;
            return;
        }
        const QString mobile = property(source, platform::contactProperties::mobile);
        if (mobile.isEmpty()) {
            ++result.withoutMobile;
        } else {
            const QString last = property(source, platform::contactProperties::lastName);
            const QString first = property(source, platform::contactProperties::firstName);
            takeRecord(importContactName(last, first), mobile, append, result);
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

// Adds the records of a file that has been read whole, one at a time, with
// the progress after each and the pause between them.
void addRecords(const QList<ImportedContact>& records, bool append, ImportProgress& progress,
                ImportResult& result) {
    const ContactBatch batch;
    EventTurns events;
    for (const ImportedContact& record : records) {
        takeRecord(record.name, record.mobile, append, result);
        if (progress.cancelRequested()) {
            result.cancelled = true;
            return;
        }
        ++result.examined;
        progress.report(result.examined, result.added);
        events.handleWhenDue();
        platform::pauseBlocking(kRecordPauseMs);
        if (progress.cancelRequested()) {
            result.cancelled = true;
            return;
        }
    }
}

// Asked while a file is read: handles window events at the first call and
// then, every `between` calls, when kEventsEveryMs have passed; says whether
// Cancel has been pressed.
std::function<bool()> stopCheck(ImportProgress& progress, int between) {
    return [&progress, between, since = 0, events = EventTurns()]() mutable {
        if (since == 0)
            events.handleWhenDue();
        if (++since >= between)
            since = 0;
        return progress.cancelRequested();
    };
}

enum class FileKind { Csv, VCard };

// The contacts of the records `records` gives (a CsvRecords or an
// AsciiCsvRecords), or the outcome that ends the import.
template <class Records>
std::variant<QList<ImportedContact>, ImportResult::Outcome>
readCsvContacts(Records& records, ImportProgress& progress) {
    // The header row names the columns, and says which export wrote the file.
    QStringList header;
    if (!records.atEnd())
        splitCsvRecord(records.next(), header);
    const CsvLayout layout = csvLayout(header);
    if (!layout.recognised())
        return ImportResult::Outcome::Unrecognised;
    const CsvStopCheck stop =
        stopCheck(progress, kCharactersBetweenEvents / kCsvCharactersBetweenStops);
    QList<ImportedContact> contacts;
    while (!records.atEnd()) {
        const std::optional<ImportedContact> contact = csvContact(layout, records.next(), stop);
        if (!contact)
            return ImportResult::Outcome::Abandoned;
        contacts.append(*contact);
    }
    return contacts;
}

// The records of a CSV file, or the outcome that ends the import.
std::variant<QList<ImportedContact>, ImportResult::Outcome>
readCsvRecords(const QByteArray& bytes, ImportProgress& progress) {
    // A file in ASCII is made text one record at a time: the whole file made
    // text at once is a second copy of it, which costs more than reading its
    // records.
    if (isAsciiText(bytes)) {
        AsciiCsvRecords records(bytes);
        return readCsvContacts(records, progress);
    }
    const QString text = importFileText(bytes);
    CsvRecords records(text);
    return readCsvContacts(records, progress);
}

std::variant<QList<ImportedContact>, ImportResult::Outcome>
readVCardRecords(const QByteArray& bytes, ImportProgress& progress) {
    const std::optional<QList<ImportedContact>> cards =
        readVCards(bytes, stopCheck(progress, kLinesBetweenEvents));
    if (!cards)
        return ImportResult::Outcome::Abandoned;
    if (cards->isEmpty())
        return ImportResult::Outcome::Unrecognised;
    return *cards;
}

ImportResult importFile(FileKind kind, bool append, ImportProgress& progress) {
    ImportResult result;
    const QString path = platform::chooseOpenFile(
        QStringLiteral("Open"), kind == FileKind::Csv
                                    ? QStringLiteral("Comma separated files (*.csv)|*.csv")
                                    : QStringLiteral("vCard files (*.vcf)|*.vcf"));
    if (path.isEmpty())
        return result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        tellUnreadableFile(path, file.errorString());
        result.outcome = ImportResult::Outcome::Unreachable;
        return result;
    }
    const QByteArray bytes = file.readAll();
    file.close();

    // The whole file is read and judged before the address book is touched:
    // a file that gives nothing leaves the book and its backup as they were.
    progress.begin();
    auto read =
        kind == FileKind::Csv ? readCsvRecords(bytes, progress) : readVCardRecords(bytes, progress);
    if (const auto* outcome = std::get_if<ImportResult::Outcome>(&read)) {
        progress.end();
        result.outcome = *outcome;
        if (*outcome == ImportResult::Outcome::Abandoned)
            tellAbandoned();
        else if (kind == FileKind::Csv)
            tellUnrecognisedCsv(path);
        else
            tellUnrecognisedVCard(path);
        return result;
    }
    const QList<ImportedContact>& records = std::get<QList<ImportedContact>>(read);
    if (std::none_of(records.begin(), records.end(), usable)) {
        progress.end();
        tellNothingUsable(path, records.size());
        result.outcome = ImportResult::Outcome::NothingUsable;
        return result;
    }
    if (!prepareAddressBook(append)) {
        progress.end();
        result.outcome = ImportResult::Outcome::BackupFailed;
        return result;
    }
    result.outcome = ImportResult::Outcome::Finished;
    addRecords(records, append, progress, result);
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

QString sourceUnavailableReason(ImportSource source) {
    if (source == ImportSource::Direct)
        return platform::use<platform::ContactsSourceService>().unavailableReason();
    return {};
}

QString importProgressText(int examined, int added) {
    return QStringLiteral("Accessing contacts list ... (%1 found, %2 added)")
        .arg(examined)
        .arg(added);
}

QString importCompletionText(const ImportResult& result) {
    QStringList counts{counted(result.added, "contact") + QStringLiteral(" added")};
    if (result.cancelled)
        counts.first() += QStringLiteral(" before the import was cancelled");
    if (result.renamed > 0)
        counts << counted(result.renamed, "name") +
                      QStringLiteral(" changed to characters the address book can hold");
    counts << counted(result.withoutMobile, "record") +
                  QStringLiteral(" without a usable UK mobile number");
    if (result.withoutName > 0)
        counts << counted(result.withoutName, "record") + QStringLiteral(" without a name");
    counts << counted(result.alreadyThere, "name") + QStringLiteral(" already in the address book");
    if (result.noRoom > 0)
        counts << counted(result.noRoom, "record") +
                      QStringLiteral(" not added because the address book is full");
    return platform::crlfLines(
        {result.cancelled ? QStringLiteral("Import cancelled.")
                          : QStringLiteral("Import complete."),
         counts.join(QStringLiteral(", ")) + u'.', QString(),
         QStringLiteral("Your previous address book has been backed up to "
                        "'zemble_contacts.bak'."),
         QStringLiteral("If you wish to go to the backup, close Zemble, rename this to "
                        "'zemble_contacts.txt'"),
         QStringLiteral("and then re-run Zemble.")});
}

ImportResult importContacts(ImportSource source, bool append, ImportProgress& progress) {
    ImportResult result = source == ImportSource::Direct ? importDirect(append, progress)
                          : source == ImportSource::CsvFile
                              ? importFile(FileKind::Csv, append, progress)
                              : importFile(FileKind::VCard, append, progress);
    if (result.outcome != ImportResult::Outcome::Finished)
        return result;
    result.saved = save_contacts(false);
    // A save that failed has been told to the user; the imported entries
    // stay in memory, but the import is not called complete.
    if (result.saved)
        platform::messageBox(QStringLiteral("Backup information"), importCompletionText(result),
                             platform::Icon::Information);
    return result;
}

} // namespace zemble
