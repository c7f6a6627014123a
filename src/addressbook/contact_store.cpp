#include "addressbook/contact_store.h"

#include "core/cp1252.h"
#include "core/phone.h"
#include "platform/message_box.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <optional>

namespace zemble {
namespace {

// Slots added beyond the highest entry whenever the lists grow.
constexpr int kSpareSlots = 20;

QString& folder_setting() {
    static QString folder;
    return folder;
}

// Calls `take` with every line of the file's text.  A line ends at CR LF or
// at a lone CR; a lone LF stays inside the line.  A file without any CR was
// written with LF line ends, and there an LF ends a line.  Text after the
// last line end is a line of its own.
template <class Take> void for_each_line(QStringView text, Take take) {
    const QChar end = text.contains(u'\r') ? u'\r' : u'\n';
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        const qsizetype at = text.indexOf(end, start);
        if (at < 0) {
            take(text.mid(start));
            return;
        }
        take(text.mid(start, at - start));
        start = (end == u'\r' && at + 1 < size && text[at + 1] == u'\n') ? at + 2 : at + 1;
    }
}

struct Entry {
    QStringView name;
    QStringView number;
};

// The name and the number of a line, or nothing when the line holds no
// entry: empty, without ";", or with an empty name or number.
std::optional<Entry> entry_of(QStringView line) {
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

void tell_too_many(int held) {
    platform::message_box(
        QStringLiteral("Address book too large"),
        platform::crlf_lines(
            {QStringLiteral("The address book holds %1 entries, but Zemble can show only the "
                            "first %2.")
                 .arg(held)
                 .arg(kMaxContacts),
             QStringLiteral("The other %1 stay in the file as they are and are kept on every "
                            "save.")
                 .arg(held - kMaxContacts)}),
        platform::Icon::Exclamation);
}

void tell_not_saved(const QString& path, const QString& reason) {
    platform::message_box(QStringLiteral("Address book not saved"),
                          platform::crlf_lines({QStringLiteral("Zemble could not save the address "
                                                               "book to the file"),
                                                QDir::toNativeSeparators(path), reason,
                                                QStringLiteral("The file was left as it was.")}),
                          platform::Icon::Exclamation);
}

} // namespace

ContactStore& contacts() {
    static ContactStore store;
    return store;
}

void set_contacts_folder(const QString& folder) {
    folder_setting() = folder;
}

QString contacts_folder() {
    if (folder_setting().isEmpty())
        folder_setting() = default_contacts_folder();
    return folder_setting();
}

QString default_contacts_folder() {
    const QString program = QCoreApplication::applicationDirPath();
    if (!program.isEmpty() && QFileInfo(program).isWritable())
        return program;
    // An installed program sits in a folder its user cannot write; keep the
    // address book in the user's own data folder instead.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}

QString contacts_file_path(bool backup) {
    return QDir(contacts_folder())
        .filePath(backup ? QStringLiteral("zemble_contacts.bak")
                         : QStringLiteral("zemble_contacts.txt"));
}

void load_contacts() {
    QFile file(contacts_file_path(false));
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        // The store stays as it is; the user learns why the book is empty.
        platform::message_box(
            QStringLiteral("Address book not read"),
            platform::crlf_lines({QStringLiteral("Zemble could not read the "
                                                 "address book from the file"),
                                  QDir::toNativeSeparators(file.fileName()), file.errorString()}),
            platform::Icon::Exclamation);
        return;
    }
    const int held = read_contacts(file.readAll());
    if (held > kMaxContacts)
        tell_too_many(held);
}

int read_contacts(const QByteArray& bytes) {
    ContactStore& store = contacts();
    int held = store.count;
    for_each_line(from_cp1252(bytes), [&](QStringView line) {
        const std::optional<Entry> entry = entry_of(line);
        if (store.count >= kMaxContacts) {
            // Past the limit every line is kept as it is, entry or not.
            store.kept_lines.append(line.toString());
            if (entry && !normalise_number(entry->number.toString()).isEmpty())
                ++held;
            return;
        }
        if (entry && add_contact(entry->name.toString(), entry->number.toString(), false))
            ++held;
    });
    return held;
}

bool write_contacts(QIODevice& device) {
    const ContactStore& store = contacts();
    // Lines are gathered into chunks and converted and written a chunk at a
    // time: few large writes instead of one per entry.
    constexpr qsizetype kChunk = 32 * 1024;
    QString chunk;
    chunk.reserve(kChunk + 1024);
    auto flush = [&]() {
        if (chunk.isEmpty())
            return true;
        const QByteArray bytes = to_cp1252(chunk);
        chunk.resize(0); // keeps its room for the next chunk
        return device.write(bytes) == bytes.size();
    };
    for (int i = 0; i < store.count; ++i) {
        const QString& name = store.names.at(i);
        const QString& number = store.numbers.at(i);
        if (name.isEmpty() || number.isEmpty())
            continue;
        chunk += name;
        chunk += u';';
        chunk += number;
        chunk += QLatin1String("\r\n");
        if (chunk.size() >= kChunk && !flush())
            return false;
    }
    for (const QString& line : store.kept_lines) {
        chunk += line;
        chunk += QLatin1String("\r\n");
        if (chunk.size() >= kChunk && !flush())
            return false;
    }
    return flush();
}

bool save_contacts(bool backup) {
    const QString path = contacts_file_path(backup);
    // The new content goes to a file beside the old one and replaces it only
    // when complete, so a failure never leaves a cut-off address book.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        tell_not_saved(path, file.errorString());
        return false;
    }
    if (!write_contacts(file)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        tell_not_saved(path, reason);
        return false;
    }
    // QSaveFile::commit() does not check the flush of its own write buffer,
    // so a file cut short by a full disk would still replace the old one.
    if (!file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        tell_not_saved(path, reason);
        return false;
    }
    if (!file.commit()) {
        tell_not_saved(path, file.errorString());
        return false;
    }
    return true;
}

bool add_contact(const QString& name, const QString& number, bool check_duplicates) {
    ContactStore& store = contacts();
    const QString n = normalise_number(number);
    if (n.isEmpty())
        return false;
    const QString stored = storable_contact_name(name);
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
    store.names[index] = storable_contact_name(name);
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

QString storable_contact_name(const QString& name) {
    // Characters the file's code page lacks would come back as "?" after the
    // next start; the store holds them that way from the outset, so a name
    // reads and matches the same before and after a restart.
    const bool latin1 = std::all_of(name.begin(), name.end(), [](QChar c) {
        return c.unicode() < 0x80 || (c.unicode() >= 0xA0 && c.unicode() <= 0xFF);
    });
    QString stored = latin1 ? name : cp1252_fold(name);
    if (!stored.contains(u';') && !stored.contains(u'\r') && !stored.contains(u'\n'))
        return stored;
    stored.replace(QLatin1String("\r\n"), QLatin1String(" "));
    stored.replace(u'\r', u' ');
    stored.replace(u'\n', u' ');
    stored.replace(u';', u',');
    return stored;
}

} // namespace zemble
