#include "core/message_parts.h"

#include "core/settings.h"

namespace zemble {

qint16 partLengthFor(int sendMethodIndex) {
    return sendMethodIndex == 0 ? kFreePartLength : kPaidPartLength;
}

QList<PartSpan> partSpans(qsizetype messageLength, qint16 part_length, qsizetype clipLength) {
    QList<PartSpan> spans;
    if (part_length <= 0)
        return spans;
    if (clipLength >= part_length)
        clipLength = 0;
    const qsizetype step = part_length - clipLength;
    qsizetype start = 0;
    qsizetype left = messageLength;
    while (left > part_length) {
        spans.append({start, step, clipLength > 0});
        start += step;
        left -= step;
    }
    if (left > 0)
        spans.append({start, left, false});
    return spans;
}

QStringList cutParts(const QString& message, qint16 part_length, const QString& clip) {
    QStringList parts;
    for (const PartSpan& span : partSpans(message.size(), part_length, clip.size())) {
        QString part = message.mid(span.start, span.length);
        if (span.continued)
            part += clip;
        parts.append(part);
    }
    return parts;
}

qint16 count_parts(const QString& message, qint16 part_length, const QString& clip) {
    return static_cast<qint16>(partSpans(message.size(), part_length, clip.size()).size());
}

qint16 setPartLengthAndCount(const QString& message, int sendMethodIndex, qint16& part_length) {
    part_length = partLengthFor(sendMethodIndex);
    return count_parts(message, part_length, readSetting(setting::textClipChar));
}

QString plural_s(qsizetype count) {
    return count == 1 ? QString() : QStringLiteral("s");
}

} // namespace zemble
