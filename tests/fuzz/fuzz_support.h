#pragma once

// Shared by the fuzz targets: the input as text, in parts, and the check
// that ends the run with a report when a property does not hold.

#include "platform/message_box.h"
#include "platform/service.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zemble::fuzz {

inline QByteArray bytes_of(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The input read as UTF-16 units, lone surrogates and all.
inline QString text_of(const QByteArray& bytes) {
    QString text(bytes.size() / 2, Qt::Uninitialized);
    std::memcpy(text.data(), bytes.constData(), size_t(text.size()) * 2);
    return text;
}

// The input cut into `count` parts at its first count - 1 zero bytes (the
// last part takes the rest; missing parts are empty).
inline QList<QByteArray> parts_of(const QByteArray& bytes, int count) {
    QList<QByteArray> parts;
    qsizetype start = 0;
    while (parts.size() < count - 1) {
        const qsizetype zero = bytes.indexOf('\0', start);
        if (zero < 0)
            break;
        parts.append(bytes.mid(start, zero - start));
        start = zero + 1;
    }
    parts.append(bytes.mid(start));
    while (parts.size() < count)
        parts.append(QByteArray());
    return parts;
}

// A property that failed is a finding: it is told and the run ends.
inline void check(bool holds, const char* property) {
    if (holds)
        return;
    std::fprintf(stderr, "property does not hold: %s\n", property);
    std::abort();
}

// Message boxes answer at once and show nothing.
class SilentMessageBox final : public platform::MessageBoxService {
public:
    platform::Answer ask(const platform::MessageBoxRequest&) override {
        return platform::Answer::Ok;
    }
};

} // namespace zemble::fuzz
