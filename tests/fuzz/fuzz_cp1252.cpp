// Windows-1252 both ways: bytes come back, one byte a character, folding is stable.

#include "core/cp1252.h"
#include "fuzz_support.h"

#include <QList>

using namespace zemble;
using namespace zemble::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = bytesOf(data, size);
    check(toCp1252(fromCp1252(bytes)) == bytes, "bytes come back");
    const QString text = textOf(bytes);
    check(toCp1252(text).size() == text.toUcs4().size(), "one byte per character");
    const QString folded = cp1252Fold(text);
    check(cp1252Fold(folded) == folded, "the folded text stays");
    return 0;
}
