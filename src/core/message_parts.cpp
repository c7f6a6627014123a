#include "core/message_parts.h"

#include "core/settings.h"

namespace zemble {

qint16 part_length_for(int send_method_index) {
    return send_method_index == 0 ? kFreePartLength : kPaidPartLength;
}

QList<PartSpan> part_spans(qsizetype message_length, qint16 part_length, qsizetype clip_length) {
    QList<PartSpan> spans;
    if (part_length <= 0)
        return spans;
    if (clip_length >= part_length)
        clip_length = 0;
    const qsizetype step = part_length - clip_length;
    qsizetype start = 0;
    qsizetype left = message_length;
    while (left > part_length) {
        spans.append({start, step, clip_length > 0});
        start += step;
        left -= step;
    }
    if (left > 0)
        spans.append({start, left, false});
    return spans;
}

QStringList cut_parts(const QString& message, qint16 part_length, const QString& clip) {
    QStringList parts;
    for (const PartSpan& span : part_spans(message.size(), part_length, clip.size())) {
        QString part = message.mid(span.start, span.length);
        if (span.continued)
            part += clip;
        parts.append(part);
    }
    return parts;
}

qint16 count_parts(const QString& message, qint16 part_length, const QString& clip) {
    return static_cast<qint16>(part_spans(message.size(), part_length, clip.size()).size());
}

qint16 count_message_parts(const QString& message, int send_method_index, qint16& part_length) {
    part_length = part_length_for(send_method_index);
    return count_parts(message, part_length, get_setting(keys::textClipChar, ""));
}

QString plural_s(qsizetype count) {
    return count == 1 ? QString() : QStringLiteral("s");
}

} // namespace zemble
