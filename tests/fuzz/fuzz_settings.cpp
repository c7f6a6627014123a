// The settings readers and the password's scrambled form (round trip, same length).

#include "core/settings.h"
#include "fuzz_support.h"

using namespace zemble;
using namespace zemble::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = bytesOf(data, size);
    const QString text = textOf(bytes);

    const QString stored = scramble_password(text);
    check(stored.size() == text.size(), "the scrambled password keeps its length");
    check(unscramble_password(stored) == text, "the password comes back");

    const qint16 value = leadingNumberInt16(text);
    check(leadingNumberInt16(text + u'x') == value, "the numeral ends at a letter");
    const int index = sendTypeIndex(text);
    check(index == 0 || index == 1, "the send method is free or paid");

    if (bytes.size() >= 2) {
        qint16 written = 0;
        std::memcpy(&written, bytes.constData(), sizeof written);
        check(leadingNumberInt16(QString::number(written)) == written,
              "a number as written reads back");
    }
    return 0;
}
