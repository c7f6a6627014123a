#include "addressbook/contact_store.h"

#include "core/cp1252.h"
#include "core/file_save.h"
#include "core/line_reader.h"
#include "core/phone.h"
#include "core/text.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
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
    if (!programFolder.isEmpty() && onlyOwnerWrites(programFolder) &&
        QFileInfo(programFolder).isWritable())
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

void load_contacts() {
    QFile file(contactsFilePath(false));
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        // The store stays as it is; the user learns why the book is empty.
        tellProblem(QStringLiteral("Address book not read"),
                    crlfLines({QStringLiteral("Zemble could not read the "
                                              "address book from the file"),
                               QDir::toNativeSeparators(file.fileName()), file.errorString()}));
        return;
    }
    const int held = readContacts(file.readAll());
    if (held > kMaxContacts)
        tellTooMany(held);
}

int readContacts(const QByteArray& bytes) {
    ContactStore& store = contacts();
    int held = store.count;
    // A line ends at CR LF or at a lone CR; a lone LF stays inside the line.
    // A file without any CR was written with LF line ends, and there an LF
    // ends a line.
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer, bytes.contains('\r') ? LineEnds::CrLfOrCr : LineEnds::CrLfCrOrLf);
    while (!reader.atEnd()) {
        const QString line = fromCp1252(reader.readLine());
        const std::optional<Entry> entry = entryOf(line);
        if (store.count >= kMaxContacts) {
            // Past the limit every line is kept as it is, entry or not.
            store.keptLines.append(line);
            if (entry && !normalise_number(entry->number.toString()).isEmpty())
                ++held;
            continue;
        }
        if (entry && add_contact(entry->name.toString(), entry->number.toString(), false))
            ++held;
    }
    return held;
}

QByteArray contactsFileBytes() {
    const ContactStore& store = contacts();
    QString text;
    for (int i = 0; i < store.count; ++i) {
        const QString& name = store.names.at(i);
        const QString& number = store.numbers.at(i);
        if (name.isEmpty() || number.isEmpty())
            continue;
        text += name;
        text += u';';
        text += number;
        text += QLatin1String("\r\n");
    }
    for (const QString& line : store.keptLines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return toCp1252(text);
}

bool save_contacts(bool backup) {
    const QString path = contactsFilePath(backup);
    if (const std::optional<QString> failure = saveFile(path, contactsFileBytes())) {
        tellNotSaved(path, *failure);
        return false;
    }
    return true;
}

bool add_contact(const QString& name, const QString& number, bool check_duplicates) {
    ContactStore& store = contacts();
    const QString n = normalise_number(number);
    if (n.isEmpty())
        return false;
    const QString stored = storableContactName(name);
    if (check_duplicates && store.count > 0) {
        for (int i = 0; i < store.count; ++i) {
            const QString& existing = store.names.at(i);
            if (existing.size() == stored.size() &&
                existing.compare(stored, Qt::CaseInsensitive) == 0)
                return false;
        }
    }
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
    store.numbers[index] = normalise_number(number);
    store.names[index] = storableContactName(name);
}

void delete_contact(qint16 index) {
    ContactStore& store = contacts();
    if (index < 0 || index >= store.count)
        return;
    const int last = store.count - 1;
    for (int i = index; i < last; ++i) {
        store.names[i] = store.names.at(i + 1);
        store.numbers[i] = store.numbers.at(i + 1);
    }
    store.names[last].clear();
    store.numbers[last].clear();
    store.count = qint16(last);
    save_contacts(false);
}

QString lookup_contact(const QString& text) {
    if (text.isEmpty())
        return {};
    if (text.startsWith(u'+') && QStringView(text).mid(1, 2) != u"44")
        return {};
    const ContactStore& store = contacts();
    for (int i = 0; i < store.count; ++i) {
        if (store.names.at(i).startsWith(text, Qt::CaseInsensitive))
            return store.numbers.at(i);
    }
    if (text.startsWith(QLatin1String("+44")))
        return QStringLiteral("0") + text.mid(3);
    return normalise_number(text);
}

QString storableContactName(const QString& name) {
    // Characters the file's code page lacks would come back as "?" after the
    // next start; the store holds them that way from the outset, so a name
    // reads and matches the same before and after a restart.
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
