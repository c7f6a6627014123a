// The vCard reader: any bytes are read to the end, the same way twice; a stop is honoured;
// no more cards than lines, and no number from a file without digits.

#include "addressbook/vcard_import.h"
#include "core/phone.h"
#include "fuzz_support.h"

using namespace zemble;
using namespace zemble::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = bytesOf(data, size);
    const std::optional<QList<ImportedContact>> read = readVCards(bytes);
    check(read.has_value(), "a read without a stop runs to the end");
    const std::optional<QList<ImportedContact>> again = readVCards(bytes, [] { return false; });
    check(again.has_value(), "a stop that never stops runs to the end");
    check(read->size() == again->size(), "the same cards twice");
    for (qsizetype i = 0; i < read->size(); ++i)
        check(read->at(i).name == again->at(i).name && read->at(i).mobile == again->at(i).mobile,
              "the same contacts twice");

    int asked = 0;
    const bool hasLine = !bytes.isEmpty();
    check(!readVCards(bytes, [&] { return ++asked >= 1; }).has_value() || !hasLine,
          "a stop at the first line ends the read");

    for (const ImportedContact& contact : *read) {
        // Every digit of a number comes from the file (unfolded, decoded), so a number with
        // digits is never made from a file without them.
        if (!normalise_number(contact.mobile).isEmpty())
            check(std::any_of(bytes.begin(), bytes.end(),
                              [](char c) { return c >= '0' && c <= '9'; }),
                  "a number's digits come from the file");
        check(read->size() <= bytes.count("\n") + bytes.count("\r") + 1,
              "no more cards than lines");
    }
    return 0;
}
