#pragma once

// HTTP/1.1 messages as the simulator reads and writes them, and the text
// conversions the operator's forms use (Windows-1252, %-encoding).

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace opsim {

using Header = QPair<QByteArray, QByteArray>;

struct Request {
    QByteArray method;
    QByteArray target; // as sent: path and optional "?query"
    QByteArray version;
    QList<Header> headers; // in the order received, names as sent
    QByteArray body;

    QByteArray path() const;
    QByteArray query() const;
    // The first header of that name (case-insensitive), or a null array.
    QByteArray header(const QByteArray& name) const;
    bool wantsClose() const;
};

struct Response {
    int status = 200;
    QByteArray body;
    QByteArray contentType = "text/html; charset=windows-1252";
    QList<Header> extraHeaders;

    QByteArray serialise(bool close) const;
};

// Reads requests from a stream of bytes that may arrive in any pieces.
class RequestParser {
public:
    enum class State { NeedMore, Ready, Bad };

    void feed(const QByteArray& bytes) { buffer += bytes; }
    // Tries to take one whole request off the front of the buffer.
    State next(Request* out);
    // Why the last Bad came about, with the status it should be answered by.
    int badStatus() const { return badCode; }
    QByteArray badReason() const { return reason; }
    bool hasBufferedBytes() const { return !buffer.isEmpty(); }

    static constexpr qsizetype kMaxHead = 64 * 1024;
    static constexpr qsizetype kMaxBody = 8 * 1024 * 1024;

private:
    State fail(int code, const QByteArray& why);

    QByteArray buffer;
    int badCode = 400;
    QByteArray reason;
};

// Windows-1252 both ways.  Bytes the code page leaves undefined map to the
// control character of the same number; a character it lacks becomes "?".
QString fromCp1252(const QByteArray& bytes);
QByteArray toCp1252(const QString& text);

// %XX decoding of one form value.  Two hex digits are read when they are
// there; a "%" followed by a single hex digit (as in "%A" at the end of a
// value or before a non-hex character) is read as that one digit.  "+" is a
// space, as browsers send it.  The result is raw bytes.
QByteArray percentDecode(const QByteArray& value);

struct FormField {
    QString name;
    QString value;
};
// Splits "a=1&b=2" into fields in order, decoding names and values from
// %-encoded Windows-1252.
QList<FormField> parseForm(const QByteArray& body);
// The first field of that name; `found` tells whether there was one.
QString formValue(const QList<FormField>& fields, const QString& name, bool* found = nullptr);

// Escapes &, <, > and " for a page or an attribute value.
QString htmlEscape(const QString& text);

} // namespace opsim
