#include "addressbook/contact_store.h"
#include "addressbook/name_index.h"
#include "core/cp1252.h"
#include "core/file_save.h"
#include "core/install_folder.h"
#include "core/line_reader.h"
#include "core/phone.h"
#include "core/text.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace zemble {
namespace {

// Slots added beyond the highest entry whenever the lists grow.
constexpr int kSpareSlots = 20;

QString& folderSetting() {
    static QString folder;
    return folder;
}

ContactsProblemHandler& problemHandler() {
    static ContactsProblemHandler handler;
    return handler;
}

void tellProblem(const QString& title, const QString& text) {
    if (problemHandler())
        problemHandler()(title, text);
    else
        qWarning("%s: %s", qPrintable(title), qPrintable(text));
}

struct Entry {
    QStringView name;
    QStringView number;
};

// The name and the number of a line, or nothing when the line holds no
// entry: empty, without ";", or with an empty name or number.
std::optional<Entry> entryOf(QStringView line) {
    const qsizetype first = line.indexOf(u';');
    if (first < 0)
        return std::nullopt;
    const QStringView name = line.left(first);
    QStringView number = line.mid(first + 1);
    const qsizetype second = number.indexOf(u';');
    if (second >= 0)
        number = number.left(second);
    if (name.isEmpty() || number.isEmpty())
        return std::nullopt;
    return Entry{name, number};
}

// The normal form of a number read from the file, which holds digits only
// (made without the copy that normalise_number's argument needs).
QString numberOf(QStringView text) {
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return text.toString();
    return normalise_number(text.toString());
}

// Whether no one but the folder's owner, the user, can change what it holds:
// owned by the user, neither group- nor world-writable.
bool onlyOwnerWrites(const QString& folder) {
    struct stat info {};
    return ::stat(QFile::encodeName(folder).constData(), &info) == 0 &&
           info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

void tellTooMany(int held) {
    tellProblem(
        QStringLiteral("Address book too large"),
        crlfLines({QStringLiteral("The address book holds %1 entries, but Zemble can show only the "
                                  "first %2.")
                       .arg(held)
                       .arg(kMaxContacts),
                   QStringLiteral("The other %1 stay in the file as they are and are kept on every "
                                  "save.")
                       .arg(held - kMaxContacts)}));
}

void tellNotSaved(const QString& path, const QString& reason) {
    tellProblem(QStringLiteral("Address book not saved"),
                crlfLines({QStringLiteral("Zemble could not save the address "
                                          "book to the file"),
                           QDir::toNativeSeparators(path), reason,
                           QStringLiteral("The file was left as it was.")}));
}

void tellConflict(const QString& name) {
    tellProblem(QStringLiteral("Address book changed elsewhere"),
                crlfLines({QStringLiteral("Another program changed or deleted the contact \"%1\" "
                                          "while you were editing it.")
                               .arg(name),
                           QStringLiteral("Both versions are kept: yours has been added to the "
                                          "address book beside the other program's.")}));
}

// A digest of the file's content, to tell whether it changed while its size
// and time stayed.  It never leaves the program, so it need not resist a
// forger (whoever can write the file can change the book anyway): two
// independently seeded 64-bit hash chains over 64 KiB blocks, far quicker
// than a cryptographic digest of the same bytes.
class ContentDigest {
public:
    void add(QByteArrayView bytes) {
        while (!bytes.isEmpty()) {
            const qsizetype room = kBlock - block_.size();
            block_.append(bytes.first(std::min(room, bytes.size())));
            bytes = bytes.sliced(std::min(room, bytes.size()));
            if (block_.size() == kBlock)
                hashBlock();
        }
    }
    QByteArray result() {
        hashBlock();
        QByteArray digest;
        digest.append(reinterpret_cast<const char*>(&first_), sizeof first_);
        digest.append(reinterpret_cast<const char*>(&second_), sizeof second_);
        return digest;
    }

private:
    static constexpr qsizetype kBlock = 64 * 1024;
    void hashBlock() {
        first_ = qHash(QByteArrayView(block_), first_ ^ size_t(0x9E3779B97F4A7C15u));
        second_ = qHash(QByteArrayView(block_), second_ ^ size_t(0xC2B2AE3D27D4EB4Fu)) + 1;
        block_.clear();
    }
    QByteArray block_;
    size_t first_ = 0;
    size_t second_ = 0;
};

QByteArray digestOf(const QByteArray& bytes) {
    ContentDigest digest;
    digest.add(bytes);
    return digest.result();
}

// The file's size and time as they are now; the digest is the caller's.
ContactsFileState fileStateNow(const QString& path) {
    QFileInfo info(path);
    ContactsFileState state;
    state.known = true;
    state.exists = info.exists();
    if (state.exists) {
        state.size = info.size();
        state.modified = info.lastModified().toMSecsSinceEpoch();
    }
    return state;
}

// Counts the changes to the program's store other than adds, so that the
// names hashed for a batch of adds are known to be stale after one.
quint64 storeRevision = 0;

void storeChanged() {
    ++storeRevision;
}

// A name with every character folded on its own, as a case-insensitive
// comparison folds it: two names of the same length compare equal ignoring
// case exactly when their keys are equal.  Nothing for a name with a
// surrogate pair, which is compared the slow way (the file's code page has
// none, so the store rarely holds one).
std::optional<QString> foldedKey(const QString& name) {
    QString key(name.size(), Qt::Uninitialized);
    QChar* to = key.data();
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            *to++ = QChar((u >= u'A' && u <= u'Z') ? char16_t(u + 0x20) : u);
        else if (c.isSurrogate())
            return std::nullopt;
        else
            *to++ = c.toCaseFolded();
    }
    return key;
}

// The program's names hashed by their keys while a ContactBatch lives, with
// what the store looked like when they were last brought up to date.
struct BatchNames {
    int depth = 0;
    bool built = false;
    const QString* listData = nullptr;
    qsizetype slotCount = 0;
    int count = 0;
    quint64 revision = 0;
    QSet<QString> keys;

    bool current(const ContactStore& store) const {
        return built && store.names.constData() == listData && store.names.size() == slotCount &&
               store.count == count && storeRevision == revision;
    }
    void noteState(const ContactStore& store) {
        listData = store.names.constData();
        slotCount = store.names.size();
        count = store.count;
        revision = storeRevision;
    }
    void build(const ContactStore& store) {
        keys.clear();
        keys.reserve(store.count);
        for (int i = 0; i < store.count && i < store.names.size(); ++i) {
            if (const std::optional<QString> key = foldedKey(store.names.at(i)))
                keys.insert(*key);
        }
        built = true;
        noteState(store);
    }
};

BatchNames& batchNames() {
    static BatchNames names;
    return names;
}

// Whether the program's store holds a name equal to `key`'s name ignoring
// case, from the hash; nothing when no batch is running or `store` is
// another one.
std::optional<bool> batchHolds(const ContactStore& store, const QString& key) {
    BatchNames& batch = batchNames();
    if (batch.depth == 0 || &store != &contacts())
        return std::nullopt;
    if (!batch.current(store))
        batch.build(store);
    return batch.keys.contains(key);
}

// Adds an entry without recording it as a change: the adding part of
// add_contact, used by loading as well.
bool addEntry(ContactStore& store, const QString& name, const QString& number,
              bool check_duplicates) {
    const QString n = normalise_number(number);
    if (n.isEmpty())
        return false;
    const QString stored = storableContactName(name);
    BatchNames& batch = batchNames();
    const bool batchRuns = batch.depth > 0 && &store == &contacts();
    const std::optional<QString> key = batchRuns ? foldedKey(stored) : std::optional<QString>();
    if (check_duplicates && store.count > 0) {
        const std::optional<bool> held = key ? batchHolds(store, *key) : std::nullopt;
        if (held.value_or(false))
            return false;
        for (int i = 0; !held && i < store.count; ++i) {
            const QString& existing = store.names.at(i);
            if (existing.size() == stored.size() &&
                existing.compare(stored, Qt::CaseInsensitive) == 0)
                return false;
        }
    }
    // The hash follows an add to a store it was up to date with.
    const bool batchFollows = batchRuns && batch.current(store);
    if (store.count >= kMaxContacts)
        return false;
    const int count = store.count + 1;
    if (count == 1) {
        store.names = QStringList(kSpareSlots + 1);
        store.numbers = QStringList(kSpareSlots + 1);
    } else if (count > store.names.size() - 1) {
        const qsizetype wanted = count + kSpareSlots + 1;
        // Room is reserved ahead in doubling steps so that filling a large
        // book does not copy the lists on every growth.
        if (store.names.capacity() < wanted) {
            store.names.reserve(std::max(wanted, 2 * store.names.capacity()));
            store.numbers.reserve(std::max(wanted, 2 * store.numbers.capacity()));
        }
        store.names.resize(wanted);
        store.numbers.resize(wanted);
    }
    store.count = qint16(count);
    store.names[count - 1] = stored;
    store.numbers[count - 1] = n;
    if (batchFollows) {
        if (key)
            batch.keys.insert(*key);
        batch.noteState(store);
    }
    return true;
}

void removeEntry(ContactStore& store, int index) {
    storeChanged();
    const int last = store.count - 1;
    for (int i = index; i < last; ++i) {
        store.names[i] = store.names.at(i + 1);
        store.numbers[i] = store.numbers.at(i + 1);
    }
    store.names[last].clear();
    store.numbers[last].clear();
    store.count = qint16(last);
    // A line that stood after the entry moves up with the entries after it;
    // one that stood just before it now stands before the next.
    for (ContactsFileLine& line : store.otherLines) {
        if (line.entriesBefore > index)
            --line.entriesBefore;
    }
}

void clearEntries(ContactStore& store) {
    storeChanged();
    for (QString& name : store.names)
        name.clear();
    for (QString& number : store.numbers)
        number.clear();
    store.count = 0;
    store.otherLines.clear();
    store.keptLines.clear();
}

// The index of the entry `name`;`number`, looked for first at `index`, where
// it stood when it was changed; -1 when no entry is that one.
int findEntry(const ContactStore& store, int index, const QString& name, const QString& number) {
    const auto is = [&](int i) {
        return store.names.at(i) == name && store.numbers.at(i) == number;
    };
    if (index >= 0 && index < store.count && is(index))
        return index;
    for (int i = 0; i < store.count; ++i) {
        if (is(i))
            return i;
    }
    return -1;
}

// Makes a change made here again on a book read afresh from the file.  An
// edited contact that is no longer there as it was is added in its edited
// form beside whatever the file holds, and its old name is returned so that
// the user can be told.
std::optional<QString> replay(ContactStore& store, const ContactChange& change) {
    switch (change.kind) {
    case ContactChange::Kind::Add:
        addEntry(store, change.name, change.number, change.checkDuplicates);
        break;
    case ContactChange::Kind::Edit: {
        const int at = findEntry(store, change.index, change.name, change.number);
        if (at >= 0) {
            store.names[at] = change.newName;
            store.numbers[at] = change.newNumber;
        } else if (findEntry(store, change.index, change.newName, change.newNumber) < 0) {
            // Changed or deleted there: both versions stay.
            addEntry(store, change.newName, change.newNumber, false);
            return change.name;
        }
        break;
    }
    case ContactChange::Kind::Delete: {
        // Gone there already, or changed there: what the file holds stays.
        const int at = findEntry(store, change.index, change.name, change.number);
        if (at >= 0)
            removeEntry(store, at);
        break;
    }
    case ContactChange::Kind::Clear:
        clearEntries(store);
        break;
    }
    return std::nullopt;
}

} // namespace

void setContactsProblemHandler(ContactsProblemHandler handler) {
    problemHandler() = std::move(handler);
}

ContactStore& contacts() {
    static ContactStore store;
    return store;
}

void setContactsFolder(const QString& folder) {
    folderSetting() = folder;
}

QString contactsFolder() {
    if (folderSetting().isEmpty())
        folderSetting() = defaultContactsFolder();
    return folderSetting();
}

QString defaultContactsFolder(bool startOwnBook) {
    return contactsFolderFor(QCoreApplication::applicationDirPath(),
                             QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                             startOwnBook);
}

QString contactsFolderFor(const QString& programFolder, const QString& dataFolder,
                          bool startOwnBook) {
    // The install folder is never the user's own, even when root can write it.
    if (!programFolder.isEmpty() && onlyOwnerWrites(programFolder) &&
        QFileInfo(programFolder).isWritable() && !isInstallFolder(programFolder))
        return programFolder;
    makePrivateFolder(dataFolder);
    const QString left = QDir(programFolder).filePath(QStringLiteral("zemble_contacts.txt"));
    const QString own = QDir(dataFolder).filePath(QStringLiteral("zemble_contacts.txt"));
    if (!programFolder.isEmpty() && QFileInfo::exists(left) && !QFileInfo::exists(own)) {
        tellProblem(
            QStringLiteral("Address book beside the program not used"),
            crlfLines({QStringLiteral("Other users can change the files in the folder of the "
                                      "Zemble program, so your address book is no longer kept "
                                      "there. This address book is not used:"),
                       QDir::toNativeSeparators(left),
                       QStringLiteral("Zemble keeps your address book in this file instead:"),
                       QDir::toNativeSeparators(own),
                       QStringLiteral("To keep the old entries, check the old file and copy it "
                                      "over the new one while Zemble is not running.")}));
        if (startOwnBook)
            saveFile(own, {});
    }
    return dataFolder;
}

QString contactsFilePath(bool backup) {
    return QDir(contactsFolder())
        .filePath(backup ? QStringLiteral("zemble_contacts.bak")
                         : QStringLiteral("zemble_contacts.txt"));
}

namespace {

// A line ends at CR LF or at a lone CR; a lone LF stays inside the line.  A
// file without any CR was written with LF line ends, and there an LF ends a
// line.  `holdsCr` says whether the device holds a CR, when already known.
int readInto(ContactStore& store, QIODevice& device, std::optional<bool> holdsCr = std::nullopt) {
    int held = store.count;
    if (!holdsCr)
        holdsCr = holdsByte(device, '\r');
    LineReader reader(device, *holdsCr ? LineEnds::CrLfOrCr : LineEnds::CrLfCrOrLf);
    // One text takes every line in turn; the name and the number are copied
    // out of it at their own sizes.
    QString line;
    while (!reader.atEnd()) {
        reader.readCp1252Line(line);
        const std::optional<Entry> entry = entryOf(line);
        if (store.count >= kMaxContacts) {
            // Past the limit every line is kept as it is, entry or not.
            store.keptLines.append(QString(line));
            if (entry && !numberOf(entry->number).isEmpty())
                ++held;
            continue;
        }
        const QString number = entry ? numberOf(entry->number) : QString();
        if (number.isEmpty()) {
            store.otherLines.append({store.count, QString(line)});
            continue;
        }
        if (addEntry(store, entry->name.toString(), number, false))
            ++held;
    }
    return held;
}

QByteArray fileBytesOf(const ContactStore& store) {
    // The text is measured first so that it is built without growing.
    qsizetype size = 0;
    for (const ContactsFileLine& line : store.otherLines)
        size += line.text.size() + 2;
    for (int i = 0; i < store.count; ++i)
        size += store.names.at(i).size() + store.numbers.at(i).size() + 3;
    for (const QString& line : store.keptLines)
        size += line.size() + 2;
    QString text;
    text.reserve(size);
    qsizetype other = 0;
    const auto otherLinesUpTo = [&](int entriesBefore) {
        for (; other < store.otherLines.size() &&
               store.otherLines.at(other).entriesBefore <= entriesBefore;
             ++other) {
            text += store.otherLines.at(other).text;
            text += QLatin1String("\r\n");
        }
    };
    for (int i = 0; i < store.count; ++i) {
        otherLinesUpTo(i);
        const QString& name = store.names.at(i);
        const QString& number = store.numbers.at(i);
        if (name.isEmpty() || number.isEmpty())
            continue;
        text += name;
        text += u';';
        text += number;
        text += QLatin1String("\r\n");
    }
    otherLinesUpTo(std::numeric_limits<int>::max());
    for (const QString& line : store.keptLines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return toCp1252(text);
}

void record(const ContactChange& change) {
    contacts().unsaved.append(change);
}

// What a save writes: the store, or, when the main file changed since it was
// read, the file's book with this store's unsaved changes made on it.  The
// names of contacts kept in two versions go to `conflicts`.  Nothing when the
// changed file cannot be read (told to the user).
std::optional<ContactStore> bookToSave(QStringList& conflicts) {
    const ContactStore& store = contacts();
    if (!store.file.known)
        return store;
    const QString path = contactsFilePath(false);
    ContactsFileState now = fileStateNow(path);
    if (!now.exists && !store.file.exists)
        return store;
    QByteArray bytes;
    if (now.exists) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            tellNotSaved(path, file.errorString());
            return std::nullopt;
        }
        bytes = file.readAll();
        now.digest = digestOf(bytes);
    }
    if (now.exists == store.file.exists && now.size == store.file.size &&
        now.modified == store.file.modified && now.digest == store.file.digest)
        return store;
    ContactStore merged;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    readInto(merged, buffer);
    for (const ContactChange& change : store.unsaved) {
        if (const std::optional<QString> name = replay(merged, change))
            conflicts.append(*name);
    }
    merged.unsaved = store.unsaved;
    merged.file = now;
    return merged;
}

} // namespace

void load_contacts() {
    ContactStore& store = contacts();
    QFile file(contactsFilePath(false));
    // The file as read: a save that finds it otherwise reads it again first.
    store.file = fileStateNow(file.fileName());
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        // The store stays as it is; the user learns why the book is empty.
        // A save reads the file again before writing, so a book that could
        // not be read is not overwritten with an empty one.
        store.file.exists = false;
        tellProblem(QStringLiteral("Address book not read"),
                    crlfLines({QStringLiteral("Zemble could not read the "
                                              "address book from the file"),
                               QDir::toNativeSeparators(file.fileName()), file.errorString()}));
        return;
    }
    // The digest is taken while streaming, so that a huge file is never held
    // whole beside the text made from it.
    // The same pass tells the line ends.
    ContentDigest digest;
    bool holdsCr = false;
    for (QByteArray block = file.read(64 * 1024); !block.isEmpty(); block = file.read(64 * 1024)) {
        digest.add(block);
        holdsCr = holdsCr || block.contains('\r');
    }
    store.file.digest = digest.result();
    file.seek(0);
    const int held = readInto(store, file, holdsCr);
    if (held > kMaxContacts)
        tellTooMany(held);
}

int readContacts(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readInto(contacts(), buffer);
}

int readContacts(QIODevice& device) {
    return readInto(contacts(), device);
}

QByteArray contactsFileBytes() {
    return fileBytesOf(contacts());
}

bool save_contacts(bool backup) {
    QStringList conflicts;
    std::optional<ContactStore> book = bookToSave(conflicts);
    if (!book)
        return false;
    const QString path = contactsFilePath(backup);
    const QByteArray bytes = fileBytesOf(*book);
    if (const std::optional<QString> failure = saveFile(path, bytes)) {
        tellNotSaved(path, *failure);
        return false;
    }
    if (!backup) {
        // The file now holds every change.
        book->unsaved.clear();
        if (book->file.known) {
            book->file = fileStateNow(path);
            book->file.digest = digestOf(bytes);
        }
    }
    // The book written (merged with the file's, when that had changed) is
    // the one shown from now on.
    contacts() = std::move(*book);
    storeChanged();
    for (const QString& name : std::as_const(conflicts))
        tellConflict(name);
    return true;
}

bool add_contact(const QString& name, const QString& number, bool check_duplicates) {
    if (!addEntry(contacts(), name, number, check_duplicates))
        return false;
    const ContactStore& store = contacts();
    ContactChange change;
    change.kind = ContactChange::Kind::Add;
    change.name = store.names.at(store.count - 1);
    change.number = store.numbers.at(store.count - 1);
    change.checkDuplicates = check_duplicates;
    record(change);
    return true;
}

void set_contact(qint16 index, const QString& name, const QString& number) {
    ContactStore& store = contacts();
    if (index == -1) {
        add_contact(name, number, true);
        return;
    }
    if (index < 0 || index >= store.count)
        return;
    ContactChange change;
    change.kind = ContactChange::Kind::Edit;
    change.index = index;
    change.name = store.names.at(index);
    change.number = store.numbers.at(index);
    change.newName = storableContactName(name);
    change.newNumber = normalise_number(number);
    store.numbers[index] = change.newNumber;
    store.names[index] = change.newName;
    storeChanged();
    // An edit that changes nothing is not made again on a changed file,
    // where it would bring back what another program changed.
    if (change.newName != change.name || change.newNumber != change.number)
        record(change);
}

void delete_contact(qint16 index) {
    ContactStore& store = contacts();
    if (index < 0 || index >= store.count)
        return;
    ContactChange change;
    change.kind = ContactChange::Kind::Delete;
    change.index = index;
    change.name = store.names.at(index);
    change.number = store.numbers.at(index);
    removeEntry(store, index);
    record(change);
    save_contacts(false);
}

void clearContacts() {
    clearEntries(contacts());
    ContactChange change;
    change.kind = ContactChange::Kind::Clear;
    record(change);
}

ContactBatch::ContactBatch() : outer_(batchNames().depth == 0) {
    ++batchNames().depth;
}

ContactBatch::~ContactBatch() {
    BatchNames& batch = batchNames();
    --batch.depth;
    if (outer_) {
        batch.keys = {};
        batch.built = false;
    }
}

QString lookup_contact(const QString& text) {
    return lookup_contact(contacts(), text);
}

QString lookup_contact(const ContactStore& store, const QString& text) {
    if (text.isEmpty())
        return {};
    if (text.startsWith(u'+') && QStringView(text).mid(1, 2) != u"44")
        return {};
    // A name typed whole reaches its own entry even when an earlier entry's
    // name begins with it ("Jo" after "Joanne").
    static ContactNameIndex nameIndex(ContactNameIndex::Case::Folded);
    const int count = std::min<int>(store.count, int(store.names.size()));
    int firstWhole = -1;
    int firstPrefix = -1;
    const QString key = nameIndex.key(text);
    if (key.isEmpty()) {
        for (int i = 0; i < count; ++i) {
            const QString& name = store.names.at(i);
            if (!name.startsWith(text, Qt::CaseInsensitive))
                continue;
            if (name.size() == text.size()) {
                firstWhole = i;
                break;
            }
            if (firstPrefix < 0)
                firstPrefix = i;
        }
    } else {
        nameIndex.update(store, count);
        firstWhole = nameIndex.firstWhole(key);
        const QList<int> prefixed = nameIndex.beginningWith(key);
        firstPrefix = prefixed.isEmpty() ? -1 : prefixed.first();
        for (const int i : nameIndex.irregular()) {
            const QString& name = store.names.at(i);
            if (!name.startsWith(text, Qt::CaseInsensitive))
                continue;
            if (name.size() == text.size() && (firstWhole < 0 || i < firstWhole))
                firstWhole = i;
            if (firstPrefix < 0 || i < firstPrefix)
                firstPrefix = i;
        }
    }
    if (firstWhole >= 0)
        return store.numbers.at(firstWhole);
    if (firstPrefix >= 0)
        return store.numbers.at(firstPrefix);
    if (text.startsWith(QLatin1String("+44")))
        return QStringLiteral("0") + text.mid(3);
    return normalise_number(text);
}

QString storableContactName(const QString& name) {
    // Characters the file's code page lacks would come back as "?" after the
    // next start; the store holds them that way from the outset, so a name
    // reads and matches the same before and after a restart.
    // Most names are plain: one look at each character tells.
    const bool plain = std::all_of(name.begin(), name.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x20 && u < 0x80 && u != u';') || (u >= 0xA0 && u <= 0xFF);
    });
    if (plain)
        return name;
    const bool latin1 = std::all_of(name.begin(), name.end(), [](QChar c) {
        return c.unicode() < 0x80 || (c.unicode() >= 0xA0 && c.unicode() <= 0xFF);
    });
    QString stored = latin1 ? name : cp1252Fold(name);
    if (!stored.contains(u';') && !stored.contains(u'\r') && !stored.contains(u'\n'))
        return stored;
    stored.replace(QLatin1String("\r\n"), QLatin1String(" "));
    stored.replace(u'\r', u' ');
    stored.replace(u'\n', u' ');
    stored.replace(u';', u',');
    return stored;
}

} // namespace zemble
