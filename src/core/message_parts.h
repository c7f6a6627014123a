#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace zemble {

// Characters per part for the two send methods (list index 0 is free texts).
inline constexpr qint16 kFreePartLength = 115;
inline constexpr qint16 kPaidPartLength = 145;
qint16 partLengthFor(int sendMethodIndex);

// Where one part lies in the message, and whether the continuation text
// follows it.
struct PartSpan {
    qsizetype start = 0;
    qsizetype length = 0;
    bool continued = false;
    bool operator==(const PartSpan&) const = default;
};

// The one cutting rule.  Every part but the last carries part_length minus the
// continuation length characters and then the continuation text; the last
// carries up to part_length characters.  A continuation text of part_length
// characters or more could never make progress and counts as none.
QList<PartSpan> partSpans(qsizetype messageLength, qint16 part_length, qsizetype clipLength);

// The parts themselves, continuation text included.
QStringList cutParts(const QString& message, qint16 part_length, const QString& clip);

// Number of parts of a message; 0 for an empty one.
qint16 count_parts(const QString& message, qint16 part_length, const QString& clip);

// Sets `part_length` (the session's, at the caller) to the part length of the
// given send method (list index 0 is free texts), and returns the parts the
// message makes with it, marked with the continuation text of the settings.
qint16 setPartLengthAndCount(const QString& message, int sendMethodIndex, qint16& part_length);

// "" for 1, "s" for any other count (of any size: a list may hold more
// than a 16-bit count can).
QString plural_s(qsizetype count);

} // namespace zemble
