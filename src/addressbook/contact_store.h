#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;

namespace zemble {

// A line of the contacts file that holds no entry (a comment, a line without
// ";", a name without a number, an empty line), kept as it was read.
struct ContactsFileLine {
    // How many entries stand before the line: it is written back just before
    // the entry with this index, or after the last entry when there are fewer.
    int entriesBefore = 0;
    QString text;
    friend bool operator==(const ContactsFileLine&, const ContactsFileLine&) = default;
};

// One change made to the store since the file was last read or written, kept
// so that a save can make the same change to a file that another program (or
// another copy of Zemble) has changed meanwhile.
struct ContactChange {
    enum class Kind { Add, Edit, Delete, Clear };
    Kind kind = Kind::Add;
    qint16 index = -1;            // Edit, Delete: the entry's index when it was changed
    QString name, number;         // Add: the new entry; Edit, Delete: the entry as it was
    QString newName, newNumber;   // Edit: the entry as it became
    bool checkDuplicates = false; // Add: made with the duplicate-name test
};

// What the contacts file held when it was last read or written: a save
// compares it with the file to notice a change made by someone else.
struct ContactsFileState {
    bool known = false; // false until the book was loaded from the file
    bool exists = false;
    qint64 size = 0;
    qint64 modified = 0; // milliseconds since the epoch
    QByteArray digest;   // of the content
};

// The one address book in memory: parallel lists of names and numbers
// (numbers in national form), `count` entries in use, insertion order.
// Other code reads the three fields and changes the store only through the
// routines below.
struct ContactStore {
    QStringList names;
    QStringList numbers;
    qint16 count = 0;
    // The file's lines that are not entries, in file order, each placed
    // among the entries where it stood.  Every save writes them back.
    QList<ContactsFileLine> otherLines;
    // The lines of the file that come after the entry that filled the store,
    // as they were read.  Every save writes them back after the entries, so a
    // book larger than the store loses nothing.
    QStringList keptLines;
    // The changes not yet in the file, oldest first, and the file as read.
    QList<ContactChange> unsaved;
    ContactsFileState file;
};

// The program's address book.
ContactStore& contacts();

// The highest number of entries the store can hold.
inline constexpr qint16 kMaxContacts = 32759;

// Folder of "zemble_contacts.txt" and "zemble_contacts.bak".  The program
// sets it at start-up; tests point it at a temporary folder.
void setContactsFolder(const QString& folder);
QString contactsFolder();
// The folder the program uses: its executable's folder when the user can
// write to it and no other user can, and it is not the folder the program
// was installed into (an installed program's folder, or a shared one, would
// hand the book to others), else the per-user data folder, made the user's
// alone when it is missing.  When an address book beside the program is
// passed over so and the user has none of their own yet, the problem handler
// is told, naming both files; with `startOwnBook` the user's own book is then
// started empty, so that this is told only once.
QString defaultContactsFolder(bool startOwnBook = false);
QString contactsFolderFor(const QString& programFolder, const QString& dataFolder,
                          bool startOwnBook);

// Who is told when the address book file cannot be read or saved, or holds
// more than the store: the windowed program shows a message box with the
// warning icon, zemble-send prints a line.  Without one the text goes to the
// program's warnings.
using ContactsProblemHandler = std::function<void(const QString& title, const QString& text)>;
void setContactsProblemHandler(ContactsProblemHandler handler);

// Reads the file into the store.  A book with more entries than the store
// holds is told to the user once; the lines past the limit are kept.  The
// lines that hold no entry are kept too, in their places.
void load_contacts();
// Adds the entries of the file's bytes to the store (the reading part of
// load_contacts, without the message).  Returns the number of entries the
// bytes hold, including those past the limit.
int readContacts(const QByteArray& bytes);
// The same from a device that allows seeking, read from its position on.
int readContacts(QIODevice& device);
// Writes the main file (or the backup) whole or not at all.  A failure is
// told to the user with the file and the system's reason, and leaves both the
// store and the old file whole; the result says whether the file was written.
// When the main file has changed since it was read (another program or
// another copy wrote to it), the store is first read again from the file and
// the changes made here since are made again on it, so that both are kept; a
// contact edited here that was changed or deleted there is kept in both
// versions, and the user is told.  The backup is written from that same book.
bool save_contacts(bool backup);
bool add_contact(const QString& name, const QString& number, bool check_duplicates);
// While one lives, the duplicate test of add_contact looks a name up in a
// hash of the address book's names, built when first needed, instead of
// comparing it with every entry: for adding many entries in a row (an
// import).  The results are the same.  A store changed meanwhile by a
// deletion, an edit, a clear or a save that read the file again is noticed
// and hashed afresh; fields written directly are not, so while one lives the
// store changes only through the routines here.
class ContactBatch {
public:
    ContactBatch();
    ~ContactBatch();
    ContactBatch(const ContactBatch&) = delete;
    ContactBatch& operator=(const ContactBatch&) = delete;

private:
    bool outer_;
};
void set_contact(qint16 index, const QString& name, const QString& number);
void delete_contact(qint16 index);
// Empties the store for an import that replaces the whole book; the lines
// that are not entries go too.
void clearContacts();
// The number for a recipient: the first entry whose whole name is `text`
// (ignoring letter case), else the first whose name begins with it, else the
// number `text` itself is.  Without a store, in the program's address book.
QString lookup_contact(const ContactStore& store, const QString& text);
QString lookup_contact(const QString& text);

// The file's content for the store: its entries in the file's form
// (Windows-1252, "name;number" and CR LF per entry, entries with an empty
// name or number left out) with the lines that are not entries among them,
// then the lines past the limit.
QByteArray contactsFileBytes();

// The path of the main file ("zemble_contacts.txt") or of the backup.
QString contactsFilePath(bool backup);

// A name as the file can hold it: ";" becomes ",", a line break a space, and
// a character outside Windows-1252 "?".
QString storableContactName(const QString& name);

} // namespace zemble
