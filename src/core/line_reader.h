#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

namespace zemble {

// Which line ends a file is read with.  CR LF is always one line end.
enum class LineEnds {
    CrLfOrCr,   // CR LF or a lone CR; a lone LF is part of the line
    CrLfCrOrLf, // CR LF, a lone CR or a lone LF
};

// Reads a device a line at a time, without the line ends.  Text after the
// last line end is a line of its own.  Reads in blocks, so a file of any size
// or a line of any length is read without harm.
class LineReader {
public:
    LineReader(QIODevice& device, LineEnds ends);

    bool atEnd();
    QByteArray readLine();
    // The next line read as Windows-1252 text, decoded block by block, so
    // that a long line is held once, as the text, and never as bytes too.
    QString readCp1252Line();
    // The same into `line`, which keeps its memory from one line to the next.
    void readCp1252Line(QString& line);

private:
    bool fill();
    qsizetype nextEnd() const;
    // Hands the next line to `take` in pieces.
    template <typename Take> void takeLine(Take take);

    QIODevice& device_;
    const LineEnds ends_;
    QByteArray buffer_;
    qsizetype position_ = 0;
    bool ended_ = false;
};

// Whether a device holds the byte from its position on.  Reads it through in
// blocks and goes back to the position, so the device must allow seeking.
bool holdsByte(QIODevice& device, char byte);

} // namespace zemble
