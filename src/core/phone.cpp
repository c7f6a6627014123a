#include "core/phone.h"

namespace zemble {

QString normalise_number(const QString& number) {
    QStringView work(number);
    QString result;
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
