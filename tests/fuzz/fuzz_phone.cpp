// normalise_number against its rule: a leading "+" other than "+44" gives nothing; "+44"
// becomes "0"; then only the digits 0 to 9 stay.

#include "core/phone.h"
#include "fuzz_support.h"

using namespace zemble;
using namespace zemble::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = textOf(bytesOf(data, size));
    QString work = text;
    bool foreign = false;
    if (text.startsWith(u'+')) {
        foreign = text.mid(1, 2) != QLatin1String("44");
        work = QStringLiteral("0") + text.mid(3);
    }
    QString digits;
    for (const QChar c : std::as_const(work))
        digits += c >= u'0' && c <= u'9' ? QString(c) : QString();
    const QString normal = normalise_number(text);
    check(normal == (foreign ? QString() : digits), "the rule's number");
    check(normalise_number(normal) == normal, "a normal number stays as it is");
    return 0;
}
