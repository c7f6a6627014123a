#include "core/phone.h"

#include <algorithm>

namespace zemble {

QString normalise_number(const QString& number) {
    // A number of digits only is its own normal form (the contacts file holds
    // them so): handed back sharing its memory.
    if (std::all_of(number.begin(), number.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return number;
    QStringView work(number);
    QString result;
    result.reserve(work.size());
    if (work.startsWith(u'+')) {
        if (work.mid(1, 2) != u"44")
            return {};
        result.append(u'0');
        work = work.mid(3);
    }
    for (const QChar c : work) {
        if (c >= u'0' && c <= u'9')
            result.append(c);
    }
    return result;
}

} // namespace zemble
