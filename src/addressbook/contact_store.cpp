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

QString defaultContactsFolder() {
    const QString program = QCoreApplication::applicationDirPath();
    if (!program.isEmpty() && QFileInfo(program).isWritable())
        return program;
    // An installed program sits in a folder its user cannot write; keep the
    // address book in the user's own data folder instead.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    makePrivateFolder(data);
    return data;
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
    const int held = readContacts(file);
    if (held > kMaxContacts)
        tellTooMany(held);
}

int readContacts(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readContacts(buffer);
}

int readContacts(QIODevice& device) {
    ContactStore& store = contacts();
    int held = store.count;
    // A line ends at CR LF or at a lone CR; a lone LF stays inside the line.
    // A file without any CR was written with LF line ends, and there an LF
    // ends a line.
    LineReader reader(device, holdsByte(device, '\r') ? LineEnds::CrLfOrCr : LineEnds::CrLfCrOrLf);
    while (!reader.atEnd()) {
        QString line = reader.readCp1252Line();
        const std::optional<Entry> entry = entryOf(line);
        if (store.count >= kMaxContacts) {
            // Past the limit every line is kept as it is, entry or not.
            store.keptLines.append(line);
            if (entry && !normalise_number(entry->number.toString()).isEmpty())
                ++held;
            continue;
        }
        if (!entry)
            continue;
        // The name keeps the line's own memory rather than a copy of it.
        const QString number = entry->number.toString();
        line.truncate(entry->name.size());
        line.squeeze();
        if (add_contact(line, number, false))
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
