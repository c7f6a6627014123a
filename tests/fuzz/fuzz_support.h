#pragma once

// The input as bytes or text, and the check that ends the run when a property fails.

#include <QtCore>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zemble::fuzz {

inline QByteArray bytesOf(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The input read as UTF-16 units, lone surrogates and all.
inline QString textOf(const QByteArray& bytes) {
    QString text(bytes.size() / 2, Qt::Uninitialized);
    std::memcpy(text.data(), bytes.constData(), size_t(text.size()) * 2);
    return text;
}

// A property that failed is a finding: it is told and the run ends.
inline void check(bool holds, const char* property) {
    if (holds)
        return;
    std::fprintf(stderr, "property does not hold: %s\n", property);
    std::abort();
}

} // namespace zemble::fuzz
