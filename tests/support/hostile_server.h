#pragma once

// An attacker answering in the site's place (the simulator models the site): a plain or TLS
// server on 127.0.0.1 inside the test process that records each whole request it read.

#include <QtNetwork>

#include <memory>

namespace zemble::test {

class HostileServer : public QObject {
public:
    struct Received {
        QByteArray method, path, body;
        QByteArray head; // the request line and the headers
    };
    // How a path is answered.  Unknown paths get a small "Not here" page.
    struct Answer {
        QByteArray bytes;     // the whole answer: status line, headers and body
        int trickleMs = 0;    // more than 0: one byte of the body every trickleMs
        bool drop = false;    // read the request, then close without a byte
        bool endless = false; // after `bytes`, the letter "a" without end
    };

    // Plain HTTP, or TLS with a certificate and key from PEM files.
    explicit HostileServer(const QString& certificateFile = {}, const QString& keyFile = {})
        : secure_(!certificateFile.isEmpty()) {
        server_ = secure_ ? std::make_unique<QSslServer>() : std::make_unique<QTcpServer>();
        if (secure_) {
            QSslConfiguration config = QSslConfiguration::defaultConfiguration();
            config.setLocalCertificate(QSslCertificate(read(certificateFile), QSsl::Pem));
            config.setPrivateKey(QSslKey(read(keyFile), QSsl::Rsa, QSsl::Pem));
            config.setPeerVerifyMode(QSslSocket::VerifyNone);
            static_cast<QSslServer*>(server_.get())->setSslConfiguration(config);
        }
        // A TLS connection is handed over once its handshake is done.
        connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket* socket = server_->nextPendingConnection())
                adopt(socket);
        });
    }

    bool listen() { return server_->listen(QHostAddress::LocalHost); }
    // "http://127.0.0.1:<port>" or "https://localhost:<port>", then `path`.
    QString address(const QString& path) const {
        return QString(secure_ ? "https://localhost:%1" : "http://127.0.0.1:%1")
                   .arg(server_->serverPort()) +
               path;
    }
    void on(const QByteArray& path, const Answer& answer) { answers_.insert(path, answer); }

    static QByteArray page(const QByteArray& html) {
        return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
               QByteArray::number(html.size()) + "\r\nConnection: close\r\n\r\n" + html;
    }
    static QByteArray redirect(int status, const QString& location) {
        return "HTTP/1.1 " + QByteArray::number(status) +
               " Moved\r\nLocation: " + location.toUtf8() + "\r\nContent-Length: 0\r\n\r\n";
    }

    QList<Received> received;

private:
    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The request at the front of `buffer` once it has arrived whole.
    static bool takeRequest(QByteArray& buffer, Received* out) {
        const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
        if (headEnd < 0)
            return false;
        const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
        qsizetype length = 0;
        for (const QByteArray& line : lines.mid(1)) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().toLower() == "content-length")
                length = line.mid(colon + 1).trimmed().toLongLong();
        }
        if (buffer.size() < headEnd + 4 + length)
            return false;
        const QList<QByteArray> words = lines.value(0).trimmed().split(' ');
        *out = {words.value(0), words.value(1).split('?').value(0), buffer.mid(headEnd + 4, length),
                buffer.left(headEnd)};
        buffer.remove(0, headEnd + 4 + length);
        return true;
    }
    void adopt(QTcpSocket* socket) {
        socket->setParent(this);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        const auto readMore = [this, socket, buffer] {
            *buffer += socket->readAll();
            Received request;
            while (takeRequest(*buffer, &request)) {
                received.append(request);
                serve(socket,
                      answers_.value(request.path, {page("<html><body>Not here</body></html>")}));
            }
        };
        connect(socket, &QTcpSocket::readyRead, this, readMore);
        readMore();
    }
    void serve(QTcpSocket* socket, const Answer& answer) {
        if (answer.drop)
            return socket->abort();
        if (answer.trickleMs > 0) { // the head at once, then the body byte by byte
            auto sent = std::make_shared<qsizetype>(answer.bytes.indexOf("\r\n\r\n") + 4);
            socket->write(answer.bytes.left(*sent));
            auto* timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, [socket, timer, sent, bytes = answer.bytes] {
                *sent < bytes.size() ? void(socket->write(bytes.mid((*sent)++, 1))) : timer->stop();
            });
            return timer->start(answer.trickleMs);
        }
        socket->write(answer.bytes);
        const QByteArray more(64 * 1024, 'a');
        const auto topUp = [socket, more] { // about 1 MiB queued for as long as the client reads
            while (socket->bytesToWrite() < 1024 * 1024)
                socket->write(more);
        };
        if (answer.endless)
            connect(socket, &QTcpSocket::bytesWritten, socket, topUp), topUp();
    }

    std::unique_ptr<QTcpServer> server_;
    bool secure_ = false;
    QHash<QByteArray, Answer> answers_;
};

} // namespace zemble::test
