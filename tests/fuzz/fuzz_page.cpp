// Page matching and form encoding: text_between gives what lies between the first start
// marker (any case) and the next end marker; convert_text's form decodes back.

#include "core/cp1252.h"
#include "fuzz_support.h"
#include "session/form_text.h"

#include <QRegularExpression>

using namespace zemble;
using namespace zemble::fuzz;

namespace {

void checkBetween(const QString& page, const QString& start, const QString& end) {
    const QString between = text_between(page, start, end);
    const qsizetype at = page.indexOf(start, 0, Qt::CaseInsensitive);
    check(at >= 0 || between.isEmpty(), "nothing without the start marker");
    if (at < 0 || between.isEmpty())
        return;
    const qsizetype from = at + start.size();
    check(QStringView(page).mid(from, between.size()) == between, "the text after the start");
    check(QStringView(page).mid(from + between.size()).startsWith(end, Qt::CaseInsensitive),
          "the end marker follows");
    check(QString(between + end).indexOf(end, 0, Qt::CaseInsensitive) == between.size(),
          "no earlier end marker");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The input as three texts cut at its first two zero bytes: start, end, page.
    const QByteArray bytes = bytesOf(data, size);
    QList<QByteArray> parts = bytes.split('\0');
    parts = parts.mid(0, 2) << parts.mid(2).join('\0');
    parts.resize(3);
    checkBetween(fromCp1252(parts[2]), fromCp1252(parts[0]), fromCp1252(parts[1]));

    const QString text = textOf(bytes);
    const QString form = convert_text(text);
    static const QRegularExpression escape(QStringLiteral("%[0-9A-F]{2}"));
    static const QRegularExpression notPlain(QStringLiteral("[^0-9A-Z\\[\\\\\\]^_a-z]"));
    check(!QString(form).remove(escape).contains(notPlain), "only plain characters and escapes");
    check(QByteArray::fromPercentEncoding(form.toLatin1()) == toCp1252(text),
          "the form text decodes back");
    return 0;
}
