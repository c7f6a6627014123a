// Page matching and form encoding.  text_between gives what lies between the
// first start marker (any letter case) and the next end marker after it, or
// nothing; convert_text gives only plain characters and "%" escapes, and
// decoding it gives back the text as the code page holds it.

#include "core/cp1252.h"
#include "fuzz_support.h"
#include "session/form_text.h"

using namespace zemble;
using namespace zemble::fuzz;

namespace {

void check_between(const QString& page, const QString& start, const QString& end) {
    const QString between = text_between(page, start, end);
    const qsizetype at = page.indexOf(start, 0, Qt::CaseInsensitive);
    if (at < 0) {
        check(between.isEmpty(), "nothing without the start marker");
        return;
    }
    if (between.isEmpty())
        return;
    const qsizetype from = at + start.size();
    check(QStringView(page).mid(from, between.size()) == between, "the text after the start");
    check(QStringView(page).mid(from + between.size()).startsWith(end, Qt::CaseInsensitive),
          "the end marker follows");
    check(QString(between + end).indexOf(end, 0, Qt::CaseInsensitive) == between.size(),
          "no earlier end marker");
}

QByteArray decoded(const QString& form) {
    QByteArray bytes;
    for (qsizetype i = 0; i < form.size(); ++i) {
        const QChar c = form[i];
        if (c != u'%') {
            const bool plain =
                (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'_') || (c >= u'a' && c <= u'z');
            check(plain, "only plain characters and escapes");
            bytes += char(c.unicode());
            continue;
        }
        bool ok = false;
        const int code = form.mid(i + 1, 2).toInt(&ok, 16);
        check(ok && form.mid(i + 1, 2) == form.mid(i + 1, 2).toUpper(), "two upper-case digits");
        bytes += char(code);
        i += 2;
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> parts = parts_of(bytes_of(data, size), 3);
    const QString page = fromCp1252(parts[2]);
    check_between(page, fromCp1252(parts[0]), fromCp1252(parts[1]));

    const QString text = text_of(bytes_of(data, size));
    check(decoded(convert_text(text)) == toCp1252(text), "the form text decodes back");
    return 0;
}
