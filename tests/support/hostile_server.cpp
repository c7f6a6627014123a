#include "support/hostile_server.h"

#include <QFile>
#include <QSslKey>
#include <QSslServer>
#include <QTimer>

namespace zemble::test {

namespace {

QByteArray read_file(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The request at the front of `buffer` once it has arrived whole.
bool take_request(QByteArray& buffer, HostileServer::Received* out) {
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
    out->method = words.value(0);
    out->path = words.value(1).split('?').value(0);
    out->body = buffer.mid(headEnd + 4, length);
    buffer.remove(0, headEnd + 4 + length);
    return true;
}

} // namespace

HostileServer::HostileServer(const QString& certificateFile, const QString& keyFile)
    : secure_(!certificateFile.isEmpty()) {
    if (!secure_) {
        server_ = std::make_unique<QTcpServer>();
    } else {
        auto tls = std::make_unique<QSslServer>();
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setLocalCertificate(QSslCertificate(read_file(certificateFile), QSsl::Pem));
        config.setPrivateKey(QSslKey(read_file(keyFile), QSsl::Rsa, QSsl::Pem));
        config.setPeerVerifyMode(QSslSocket::VerifyNone);
        tls->setSslConfiguration(config);
        server_ = std::move(tls);
    }
    // A TLS connection is handed over once its handshake is done.
    connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket* socket = server_->nextPendingConnection())
            adopt(socket);
    });
}

HostileServer::~HostileServer() = default;

bool HostileServer::listen() {
    return server_->listen(QHostAddress::LocalHost);
}

QString HostileServer::address(const QString& path) const {
    return (secure_ ? QStringLiteral("https://localhost:%1")
                    : QStringLiteral("http://127.0.0.1:%1"))
               .arg(server_->serverPort()) +
           path;
}

QByteArray HostileServer::page(const QByteArray& html) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
           QByteArray::number(html.size()) + "\r\nConnection: close\r\n\r\n" + html;
}

QByteArray HostileServer::redirect(int status, const QString& location) {
    return "HTTP/1.1 " + QByteArray::number(status) + " Moved\r\nLocation: " + location.toUtf8() +
           "\r\nContent-Length: 0\r\n\r\n";
}

void HostileServer::adopt(QTcpSocket* socket) {
    socket->setParent(this);
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    const auto readMore = [this, socket, buffer] {
        *buffer += socket->readAll();
        Received request;
        while (take_request(*buffer, &request)) {
            received.append(request);
            const auto it = answers_.constFind(request.path);
            serve(socket,
                  it != answers_.cend() ? *it : Answer{page("<html><body>Not here</body></html>")});
        }
    };
    connect(socket, &QTcpSocket::readyRead, this, readMore);
    readMore();
}

void HostileServer::serve(QTcpSocket* socket, const Answer& answer) {
    if (answer.drop) {
        socket->abort();
        return;
    }
    if (answer.trickleMs > 0) {
        // The head at once, then the body byte by byte.
        const qsizetype head = answer.bytes.indexOf("\r\n\r\n") + 4;
        socket->write(answer.bytes.left(head));
        auto* timer = new QTimer(socket);
        auto sent = std::make_shared<qsizetype>(head);
        connect(timer, &QTimer::timeout, socket, [socket, timer, sent, bytes = answer.bytes] {
            if (*sent < bytes.size())
                socket->write(bytes.mid((*sent)++, 1));
            else
                timer->stop();
        });
        timer->start(answer.trickleMs);
        return;
    }
    socket->write(answer.bytes);
    if (!answer.endless)
        return;
    // Keeps about 1 MiB queued for as long as the client reads.
    const QByteArray more(64 * 1024, 'a');
    const auto topUp = [socket, more] {
        while (socket->bytesToWrite() < 1024 * 1024)
            socket->write(more);
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, topUp);
    topUp();
}

} // namespace zemble::test
