// Times the address book at its largest: loading, saving and looking up
// names in a book of 32,759 entries.  Prints milliseconds per run: wall
// clock (shortest, median, longest) and the median processor time, which a
// busy machine disturbs less.

#include "addressbook/contact_store.h"

#include "measure.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

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
    if (!saved) {
        std::printf("saving failed\n");
        return 1;
    }
    measure(
        "load_contacts", [] { contacts() = ContactStore{}; }, load_contacts);
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
