// The contacts file loader: load, save, load gives the same store and the same bytes.

#include "addressbook/contact_store.h"
#include "fuzz_support.h"

using namespace zemble;
using namespace zemble::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    contacts() = ContactStore{};
    readContacts(bytesOf(data, size));
    const ContactStore first = contacts();
    const QByteArray saved = contactsFileBytes();

    contacts() = ContactStore{};
    readContacts(saved);
    const ContactStore& second = contacts();
    check(second.count == first.count, "as many entries after a save");
    check(second.names.mid(0, first.count) == first.names.mid(0, first.count), "the same names");
    check(second.numbers.mid(0, first.count) == first.numbers.mid(0, first.count),
          "the same numbers");
    check(second.otherLines == first.otherLines, "the same other lines, in the same places");
    check(second.keptLines == first.keptLines, "the same lines past the limit");
    check(contactsFileBytes() == saved, "the same file on the next save");
    return 0;
}
