#pragma once

#include <QString>

namespace zemble {

// Where an import takes its contacts from (the rows of the source list).
enum class ImportSource { Direct = 0, CsvFile = 1 };

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
        NotStarted,   // the file chooser was cancelled: nothing read or written
        Unreachable,  // the source could not be reached: told, nothing changed
        BackupFailed, // the backup could not be written: told, nothing changed
        Finished,     // records were read (perhaps cancelled part way)
    };
    Outcome outcome = Outcome::NotStarted;
    int examined = 0;
    int added = 0;
    bool cancelled = false;
    bool saved = false;
};

// One whole import: the source is reached first; then the address book goes
// to the backup, is emptied for an overwrite, the records are read and added
// (`append` refuses names already there, ignoring case), the address book is
// saved and the completion message shown.  A source that cannot be reached
// or a backup that cannot be written leaves the address book and its files
// as they were.
ImportResult importContacts(ImportSource source, bool append, ImportProgress& progress);

} // namespace zemble
