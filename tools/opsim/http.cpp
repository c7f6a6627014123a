#include "http.h"

namespace opsim {

namespace {

// Unicode of the bytes 0x80..0x9F in Windows-1252; 0 where the code page
// leaves the byte undefined (then the byte maps to U+0080..U+009F).
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 413:
        return "Payload Too Large";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    default:
        return "Status";
    }
}

} // namespace

QByteArray Request::path() const {
    const qsizetype q = target.indexOf('?');
    return q < 0 ? target : target.left(q);
}

QByteArray Request::query() const {
    const qsizetype q = target.indexOf('?');
    return q < 0 ? QByteArray() : target.mid(q + 1);
}

QByteArray Request::header(const QByteArray& name) const {
    for (const Header& h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    }
    return {};
}

bool Request::wantsClose() const {
    const QByteArray connection = header("Connection").toLower();
    if (version == "HTTP/1.0")
        return !connection.contains("keep-alive");
    return connection.contains("close");
}

QByteArray Response::serialise(bool close) const {
    QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    out += "Server: zemble-opsim\r\n";
    if (!contentType.isEmpty())
        out += "Content-Type: " + contentType + "\r\n";
    out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    for (const Header& h : extraHeaders)
        out += h.first + ": " + h.second + "\r\n";
    out += close ? "Connection: close\r\n" : "Connection: keep-alive\r\n";
    out += "\r\n";
    out += body;
    return out;
}

RequestParser::State RequestParser::fail(int code, const QByteArray& why) {
    badCode = code;
    reason = why;
    return State::Bad;
}

RequestParser::State RequestParser::next(Request* out) {
    // Blank lines between requests are tolerated.
    while (buffer.startsWith("\r\n"))
        buffer.remove(0, 2);
    const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        if (buffer.size() > kMaxHead)
            return fail(413, "request head too large");
        return State::NeedMore;
    }
    const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    if (first.size() != 3 || first[0].isEmpty() || !first[1].startsWith('/') ||
        !first[2].startsWith("HTTP/1."))
        return fail(400, "malformed request line");
    Request request;
    request.method = first[0];
    request.target = first[1];
    request.version = first[2];
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return fail(400, "malformed header line");
        request.headers.append({line.left(colon), line.mid(colon + 1).trimmed()});
    }
    if (!request.header("Transfer-Encoding").isNull())
        return fail(501, "chunked request bodies are not supported");
    qsizetype length = 0;
    const QByteArray lengthText = request.header("Content-Length");
    if (!lengthText.isNull()) {
        bool ok = false;
        length = lengthText.toLongLong(&ok);
        if (!ok || length < 0)
            return fail(400, "bad Content-Length");
        if (length > kMaxBody)
            return fail(413, "request body too large");
    }
    const qsizetype bodyStart = headEnd + 4;
    if (buffer.size() - bodyStart < length)
        return State::NeedMore;
    request.body = buffer.mid(bodyStart, length);
    buffer.remove(0, bodyStart + length);
    *out = std::move(request);
    return State::Ready;
}

QString fromCp1252(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] != 0)
            text.append(QChar(kHigh[b - 0x80]));
        else
            text.append(QChar(b));
    }
    return text;
}

QByteArray toCp1252(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            bytes.append('?');
            ++i;
            continue;
        }
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.append(char(u));
            continue;
        }
        char out = '?';
        for (int k = 0; k < 32; ++k) {
            if (kHigh[k] == u || (kHigh[k] == 0 && u == 0x80 + k)) {
                out = char(0x80 + k);
                break;
            }
        }
        bytes.append(out);
    }
    return bytes;
}

QByteArray percentDecode(const QByteArray& value) {
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value.at(i);
        if (c == '+') {
            out.append(' ');
        } else if (c == '%' && i + 1 < value.size() && hexValue(value.at(i + 1)) >= 0) {
            int code = hexValue(value.at(i + 1));
            ++i;
            if (i + 1 < value.size() && hexValue(value.at(i + 1)) >= 0) {
                code = code * 16 + hexValue(value.at(i + 1));
                ++i;
            }
            out.append(char(code));
        } else {
            out.append(c);
        }
    }
    return out;
}

QList<FormField> parseForm(const QByteArray& body) {
    QList<FormField> fields;
    if (body.isEmpty())
        return fields;
    for (const QByteArray& pair : body.split('&')) {
        const qsizetype eq = pair.indexOf('=');
        const QByteArray name = eq < 0 ? pair : pair.left(eq);
        const QByteArray value = eq < 0 ? QByteArray() : pair.mid(eq + 1);
        fields.append({fromCp1252(percentDecode(name)), fromCp1252(percentDecode(value))});
    }
    return fields;
}

QString formValue(const QList<FormField>& fields, const QString& name, bool* found) {
    for (const FormField& f : fields) {
        if (f.name == name) {
            if (found)
                *found = true;
            return f.value;
        }
    }
    if (found)
        *found = false;
    return {};
}

QString htmlEscape(const QString& text) {
    return text.toHtmlEscaped();
}

} // namespace opsim
