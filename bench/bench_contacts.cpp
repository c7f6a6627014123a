// Times the address book at its largest: loading, saving and looking up
// names in a book of 32,759 entries.  Prints milliseconds per run: wall
// clock (shortest, median, longest) and the median processor time, which a
// busy machine disturbs less.

#include "addressbook/contact_store.h"

#include "measure.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

#include <fcntl.h>
#include <unistd.h>

using namespace zemble;
using zemble::bench::kRuns;
using zemble::bench::measure;

namespace {

void fillBook() {
    contacts() = ContactStore{};
    for (int i = 0; i < kMaxContacts; ++i) {
        const QString name =
            QStringLiteral("Surname%1, Forename%2").arg(i, 5, 10, QLatin1Char('0')).arg(i % 97);
        add_contact(name, QStringLiteral("07700 9%1").arg(i, 5, 10, QLatin1Char('0')), false);
    }
}

// The floor of a load: the file read and cut into its lines.
qsizetype readAndSplit(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray& line : lines)
        line.chop(line.endsWith('\r') ? 1 : 0);
    return lines.size();
}

// The floor of a save: the same bytes built from their lines, written to a
// new file, synced and renamed over the old one.
bool buildWriteSyncRename(const QList<QByteArray>& lines, const QString& path) {
    QByteArray bytes;
    for (const QByteArray& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".new";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return written && synced && ::rename(temporary.constData(), target.constData()) == 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    setContactsFolder(dir.path());

    std::printf("Address book of %d entries, %d runs each\n", int(kMaxContacts), kRuns);
    measure(
        "fill with add_contact (no test)", [] {}, fillBook);
    fillBook();
    bool saved = true;
    measure(
        "save_contacts", [] {}, [&] { saved = save_contacts(false) && saved; });
    QList<QByteArray> lines = contactsFileBytes().split('\n');
    for (QByteArray& line : lines)
        line.chop(line.endsWith('\r') ? 1 : 0);
    lines.removeLast(); // after the last line end
    const QString floorPath = dir.filePath(QStringLiteral("floor.txt"));
    measure(
        "floor: build, write, sync, rename", [] {},
        [&] { saved = buildWriteSyncRename(lines, floorPath) && saved; });
    measure(
        "load_contacts", [] { contacts() = ContactStore{}; }, load_contacts);
    measure(
        "floor: read the file, split its lines", [] {},
        [&] { saved = readAndSplit(contactsFilePath(false)) > 0 && saved; });
    if (!saved) {
        std::printf("saving or reading failed\n");
        return 1;
    }
    if (contacts().count != kMaxContacts) {
        std::printf("loaded %d entries instead of %d\n", int(contacts().count), int(kMaxContacts));
        return 1;
    }
    QString found;
    measure(
        "lookup_contact, last entry", [] {},
        [&] { found = lookup_contact(QStringLiteral("surname32758")); });
    std::printf("  (gave %s)\n", qPrintable(found));
    measure(
        "lookup_contact, no name matches", [] {},
        [&] { found = lookup_contact(QStringLiteral("07700 900 123")); });
    std::printf("  (gave %s)\n", qPrintable(found));
    measure(
        "add_contact with duplicate test", [] { contacts().count = kMaxContacts - 1; },
        [] { add_contact(QStringLiteral("Nobody, New"), QStringLiteral("071"), true); });
    return 0;
}
