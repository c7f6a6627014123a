// The settings readers and the password's scrambled form (round trip, same length).

#include "core/settings.h"
#include "fuzz_support.h"

using namespace zemble;
using namespace zemble::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = bytes_of(data, size);
    const QString text = text_of(bytes);

    const QString stored = scramble_password(text);
    check(stored.size() == text.size(), "the scrambled password keeps its length");
    check(unscramble_password(stored) == text, "the password comes back");

    const qint16 value = leading_number_int16(text);
    check(leading_number_int16(text + u'x') == value, "the numeral ends at a letter");
    const int index = send_type_index(text);
    check(index == 0 || index == 1, "the send method is free or paid");

    if (bytes.size() >= 2) {
        qint16 written = 0;
        std::memcpy(&written, bytes.constData(), sizeof written);
        check(leading_number_int16(QString::number(written)) == written,
              "a number as written reads back");
    }
    return 0;
}
