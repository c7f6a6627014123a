#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;

namespace zemble {

// The one address book in memory: parallel lists of names and numbers
// (numbers in national form), `count` entries in use, insertion order.
// Other code reads the three fields and changes the store only through the
// routines below.
struct ContactStore {
    QStringList names;
    QStringList numbers;
    qint16 count = 0;
    // The lines of the file that come after the entry that filled the store,
    // as they were read.  Every save writes them back after the entries, so a
    // book larger than the store loses nothing.
    QStringList keptLines;
};

// The program's address book.
ContactStore& contacts();

// The highest number of entries the store can hold.
inline constexpr qint16 kMaxContacts = 32759;

// Folder of "zemble_contacts.txt" and "zemble_contacts.bak".  The program
// sets it at start-up; tests point it at a temporary folder.
void setContactsFolder(const QString& folder);
QString contactsFolder();
// The folder the program uses: its executable's folder when that can be
// written, else the per-user data folder.
QString defaultContactsFolder();

// Who is told when the address book file cannot be read or saved, or holds
// more than the store: the windowed program shows a message box with the
// warning icon, zemble-send prints a line.  Without one the text goes to the
// program's warnings.
using ContactsProblemHandler = std::function<void(const QString& title, const QString& text)>;
void setContactsProblemHandler(ContactsProblemHandler handler);

// Reads the file into the store.  A book with more entries than the store
// holds is told to the user once; the lines past the limit are kept.
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
bool save_contacts(bool backup);
bool add_contact(const QString& name, const QString& number, bool check_duplicates);
void set_contact(qint16 index, const QString& name, const QString& number);
void delete_contact(qint16 index);
QString lookup_contact(const QString& text);

// The file's content for the store: its entries in the file's form
// (Windows-1252, "name;number" and CR LF per entry, entries with an empty
// name or number left out), then the kept lines.
QByteArray contactsFileBytes();

// The path of the main file ("zemble_contacts.txt") or of the backup.
QString contactsFilePath(bool backup);

// A name as the file can hold it: ";" becomes ",", a line break a space, and
// a character outside Windows-1252 "?".
QString storableContactName(const QString& name);

} // namespace zemble
