// Times each parser of outside input against the size of its input, 1, 8
// and 16 MiB of the worst input family found for it, so that a path that
// grows faster than the input shows as a ratio well above 16 between the
// 16 MiB and the 1 MiB time.  One run per size; prints processor time in
// milliseconds (a busy machine disturbs it less than wall time).

#include "addressbook/contact_store.h"
#include "addressbook/csv_import.h"
#include "core/cp1252.h"
#include "core/line_reader.h"
#include "core/phone.h"
#include "core/settings.h"
#include "platform/message_box.h"
#include "platform/service.h"
#include "session/form_text.h"

#include <QBuffer>
#include <QCoreApplication>

#include <cstdio>
#include <ctime>
#include <functional>

using namespace zemble;

namespace {

constexpr qsizetype kMiB = 1024 * 1024;

// Nothing reaches a person from here.
class SilentMessageBox final : public platform::MessageBoxService {
public:
    platform::Answer ask(const platform::MessageBoxRequest&) override {
        return platform::Answer::Ok;
    }
};

// `text` repeated up to `size` units.
QByteArray repeated(const QByteArray& text, qsizetype size) {
    QByteArray out;
    out.reserve(size);
    while (out.size() + text.size() <= size)
        out += text;
    return out;
}

double cpuMs(const std::function<void()>& work) {
    const std::clock_t start = std::clock();
    work();
    return 1000.0 * double(std::clock() - start) / CLOCKS_PER_SEC;
}

// Runs `parse` on inputs of 1, 8 and 16 MiB made by `make` and prints the times.
void scale(const char* parser, const char* family, const std::function<QByteArray(qsizetype)>& make,
           const std::function<void(const QByteArray&)>& parse) {
    double times[3] = {};
    const qsizetype sizes[3] = {1 * kMiB, 8 * kMiB, 16 * kMiB};
    for (int i = 0; i < 3; ++i) {
        const QByteArray input = make(sizes[i]);
        times[i] = cpuMs([&] { parse(input); });
    }
    std::printf("%-22s %-34s %9.1f %9.1f %9.1f ms   16/1 %6.1f\n", parser, family, times[0],
                times[1], times[2], times[2] / std::max(times[0], 0.01));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    SilentMessageBox silent;
    platform::ScopedService<platform::MessageBoxService> guard(&silent);

    std::printf("%-22s %-34s %9s %9s %9s\n", "parser", "input family", "1 MiB", "8 MiB", "16 MiB");
    scale(
        "CSV field clean-up", "one field of doubled quotes",
        [](qsizetype n) { return "\"" + repeated("\"\"", n - 3) + "\","; },
        [](const QByteArray& in) {
            CsvFields fields;
            splitCsvLine(QString::fromLatin1(in), fields);
        });
    scale(
        "CSV lines", "short lines, lone CRs",
        [](qsizetype n) { return repeated("a,\"b\"\"c\",d\r", n); },
        [](const QByteArray& in) {
            QBuffer buffer;
            buffer.setData(in);
            buffer.open(QIODevice::ReadOnly);
            LineReader reader(buffer, LineEnds::CrLfOrCr);
            CsvFields fields;
            while (!reader.atEnd())
                splitCsvLine(fromCp1252(reader.readLine()), fields);
        });
    scale(
        "contacts file", "entries past the limit, LF ends",
        [](qsizetype n) { return repeated("Smith, John;07700 900123\n", n); },
        [](const QByteArray& in) {
            contacts() = ContactStore{};
            readContacts(in);
            contactsFileBytes();
        });
    scale(
        "contacts file", "one name of ';'-free text",
        [](qsizetype n) { return repeated("x", n - 4) + ";071"; },
        [](const QByteArray& in) {
            contacts() = ContactStore{};
            readContacts(in);
        });
    scale(
        "settings number", "digits and blanks", [](qsizetype n) { return repeated("1 ", n); },
        [](const QByteArray& in) { leadingNumberInt16(QString::fromLatin1(in)); });
    scale(
        "password scramble", "printable text, both ways",
        [](qsizetype n) { return repeated("p~ x", n); },
        [](const QByteArray& in) {
            unscramble_password(scramble_password(QString::fromLatin1(in)));
        });
    scale(
        "normalise_number", "+44 and digits with blanks",
        [](qsizetype n) { return "+44" + repeated("7 ", n - 3); },
        [](const QByteArray& in) { normalise_number(QString::fromLatin1(in)); });
    scale(
        "text_between", "near-misses of the start marker",
        [](qsizetype n) { return repeated("<b", n - 8) + "<bx>1</b"; },
        [](const QByteArray& in) {
            text_between(QString::fromLatin1(in), QStringLiteral("<bx>"), QStringLiteral("</b"));
        });
    scale(
        "convert_text", "characters that are escaped",
        [](qsizetype n) { return repeated("\xa3 %", n); },
        [](const QByteArray& in) { convert_text(fromCp1252(in)); });
    scale(
        "Windows-1252", "characters outside the code page",
        [](qsizetype n) { return repeated("\xd0\x96", n); }, // U+0416 in UTF-8
        [](const QByteArray& in) { fromCp1252(toCp1252(QString::fromUtf8(in))); });
    return 0;
}
