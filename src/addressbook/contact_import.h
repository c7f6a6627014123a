#pragma once

#include <QString>

namespace zemble {

// Where an import takes its contacts from (the rows of the source list).
enum class ImportSource { Direct = 0, CsvFile = 1, VCardFile = 2 };
inline constexpr int kImportSourceCount = 3;

// Why a source cannot work on this system, or "" when it can.
QString sourceUnavailableReason(ImportSource source);

// What an import needs of its progress window: the counters shown after
// every record and the Cancel request read between steps.
class ImportProgress {
public:
    virtual ~ImportProgress() = default;
    // Shows the window with both counters at 0 and the Cancel button ready.
    virtual void begin() = 0;
    virtual void report(int examined, int added) = 0;
    virtual bool cancelRequested() const = 0;
    virtual void end() = 0;
};

// "Accessing contacts list ... (N found, M added)".
QString importProgressText(int examined, int added);

struct ImportResult {
    enum class Outcome {
        NotStarted,    // the file chooser was cancelled: nothing read or written
        Unreachable,   // the source could not be reached: told, nothing changed
        Unrecognised,  // the file is not laid out as any export Zemble reads: told, nothing changed
        NothingUsable, // no record has a name and a UK mobile number: told, nothing changed
        Abandoned,     // cancelled while the file was read: told, nothing changed
        BackupFailed,  // the backup could not be written: told, nothing changed
        Finished,      // records were read (perhaps cancelled part way)
    };
    Outcome outcome = Outcome::NotStarted;
    int examined = 0;
    int added = 0;
    int withoutMobile = 0; // records without a usable UK mobile number
    int withoutName = 0;   // records with a number but without a name
    int alreadyThere = 0;  // names the address book held already (Append)
    int noRoom = 0;        // records the full address book could not take
    int renamed = 0;       // added under a name changed to fit the address book file
    bool cancelled = false;
    bool saved = false;
};

// The lines of the completion message: "Import complete." (or
// "Import cancelled."), the counts, then where the backup is.
QString importCompletionText(const ImportResult& result);

// One whole import: the source is reached (a file is read whole and its
// records judged) first; then the address book goes to the backup, is
// emptied for an overwrite, the records are added (`append` refuses names
// already there, ignoring case), the address book is saved and the
// completion message shown.  A source that cannot be reached, a file that is
// not recognised or holds no usable record, a Cancel while the file is read,
// or a backup that cannot be written leaves the address book and its files
// as they were.
ImportResult importContacts(ImportSource source, bool append, ImportProgress& progress);

} // namespace zemble
