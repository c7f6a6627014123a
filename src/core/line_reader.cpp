#include "core/line_reader.h"

#include "core/cp1252.h"

#include <QIODevice>

#include <algorithm>

namespace zemble {
namespace {

constexpr qint64 kBlockSize = 64 * 1024;
constexpr char kCr = '\r';
constexpr char kLf = '\n';

} // namespace

LineReader::LineReader(QIODevice& device, LineEnds ends) : device_(device), ends_(ends) {}

bool LineReader::fill() {
    if (ended_)
        return false;
    const QByteArray block = device_.read(kBlockSize);
    if (block.isEmpty()) {
        ended_ = true;
        return false;
    }
    buffer_.remove(0, position_);
    position_ = 0;
    buffer_.append(block);
    return true;
}

bool LineReader::atEnd() {
    if (position_ < buffer_.size())
        return false;
    return !fill();
}

// The first line end at or after the position, or -1.
qsizetype LineReader::nextEnd() const {
    const char* from = buffer_.constData() + position_;
    const char* to = buffer_.constData() + buffer_.size();
    const char* end = ends_ == LineEnds::CrLfOrCr
                          ? std::find(from, to, kCr)
                          : std::find_if(from, to, [](char c) { return c == kCr || c == kLf; });
    return end == to ? -1 : end - buffer_.constData();
}

template <typename Take> void LineReader::takeLine(Take take) {
    for (;;) {
        if (position_ >= buffer_.size() && !fill())
            break;
        const qsizetype end = nextEnd();
        if (end < 0) {
            take(QByteArrayView(buffer_).sliced(position_));
            position_ = buffer_.size();
            continue;
        }
        take(QByteArrayView(buffer_).sliced(position_, end - position_));
        position_ = end + 1;
        // A CR LF pair ends the line as one; the LF may sit in the next block.
        if (buffer_.at(end) == kCr) {
            if (position_ >= buffer_.size())
                fill();
            if (position_ < buffer_.size() && buffer_.at(position_) == kLf)
                ++position_;
        }
        break;
    }
}

QByteArray LineReader::readLine() {
    QByteArray line;
    takeLine([&line](QByteArrayView piece) { line.append(piece); });
    return line;
}

QString LineReader::readCp1252Line() {
    QString line;
    takeLine([&line](QByteArrayView piece) { appendFromCp1252(line, piece); });
    return line;
}

void LineReader::readCp1252Line(QString& line) {
    line.resize(0);
    takeLine([&line](QByteArrayView piece) { appendFromCp1252(line, piece); });
}

bool holdsByte(QIODevice& device, char byte) {
    const qint64 start = device.pos();
    bool found = false;
    while (!found) {
        const QByteArray block = device.read(kBlockSize);
        if (block.isEmpty())
            break;
        found = block.contains(byte);
    }
    device.seek(start);
    return found;
}

} // namespace zemble
