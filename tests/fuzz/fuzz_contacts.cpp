// The contacts file loader: whatever a file holds, loading it, saving the
// store and loading that again gives the same store, and the second save
// writes the same bytes as the first.

#include "addressbook/contact_store.h"
#include "fuzz_support.h"

using namespace zemble;
using namespace zemble::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SilentMessageBox silent;
    static platform::ScopedService<platform::MessageBoxService> guard(&silent);

    contacts() = ContactStore{};
    readContacts(bytes_of(data, size));
    const ContactStore first = contacts();
    const QByteArray saved = contactsFileBytes();

    contacts() = ContactStore{};
    readContacts(saved);
    const ContactStore& second = contacts();
    check(second.count == first.count, "as many entries after a save");
    for (int i = 0; i < first.count; ++i) {
        check(second.names.at(i) == first.names.at(i), "the same names");
        check(second.numbers.at(i) == first.numbers.at(i), "the same numbers");
    }
    check(second.keptLines == first.keptLines, "the same lines past the limit");
    check(contactsFileBytes() == saved, "the same file on the next save");
    return 0;
}
