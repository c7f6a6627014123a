// Windows-1252 both ways: every byte string reads and writes back as itself;
// a text becomes one byte per character (a surrogate pair is one character),
// and what the code page makes of a text it keeps on a second round.

#include "core/cp1252.h"
#include "fuzz_support.h"

using namespace zemble;
using namespace zemble::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = bytes_of(data, size);
    check(toCp1252(fromCp1252(bytes)) == bytes, "bytes come back");

    const QString text = text_of(bytes);
    qsizetype characters = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++characters) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    check(toCp1252(text).size() == characters, "one byte per character");
    const QString folded = cp1252Fold(text);
    check(cp1252Fold(folded) == folded, "the folded text stays");
    return 0;
}
