#include "server.h"

#include <QFile>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSslSocket>
#include <QTimer>
#include <QUrlQuery>

namespace opsim {

namespace {

QSslCertificate loadCertificate(const QString& resource) {
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return QSslCertificate();
    return QSslCertificate(file.readAll(), QSsl::Pem);
}

QSslKey loadKey(const QString& resource) {
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QSslKey(file.readAll(), QSsl::Rsa, QSsl::Pem);
}

Response json(const QJsonObject& object, int status = 200) {
    Response r;
    r.status = status;
    r.contentType = "application/json";
    r.body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return r;
}

Response jsonError(const QString& why, int status) {
    return json({{QStringLiteral("ok"), false}, {QStringLiteral("error"), why}}, status);
}

} // namespace

bool isFaultKind(const QString& kind) {
    return kind == QLatin1String("slow") || kind == QLatin1String("drop") ||
           kind == QLatin1String("lostanswer") || kind == QLatin1String("http500") ||
           kind == QLatin1String("blank") || kind == QLatin1String("wrongpage");
}

void TlsListener::incomingConnection(qintptr descriptor) {
    auto* socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    socket->setLocalCertificate(certificate);
    socket->setPrivateKey(key);
    socket->setPeerVerifyMode(QSslSocket::VerifyNone);
    // A client that refuses the certificate just goes away.
    connect(socket, &QSslSocket::errorOccurred, socket, [socket] { socket->abort(); });
    socket->startServerEncryption();
    emit secureConnection(socket);
}

Server::Server(Options options, QObject* parent) : QObject(parent), options(std::move(options)) {}

bool Server::start(QString* why) {
    const QString base = options.untrustedCertificate ? QStringLiteral(":/opsim/certs/untrusted")
                                                      : QStringLiteral(":/opsim/certs/server");
    const QSslCertificate certificate = loadCertificate(base + QStringLiteral(".pem"));
    const QSslKey key = loadKey(base + QStringLiteral(".key"));
    if (certificate.isNull() || key.isNull()) {
        *why = QStringLiteral("the built-in certificate could not be loaded");
        return false;
    }
    for (auto [file, path] :
         {std::pair{&outbox, options.outboxPath}, std::pair{&requestLog, options.requestsPath}}) {
        if (path.isEmpty())
            continue;
        file->setFileName(path);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Append)) {
            *why = QStringLiteral("cannot write %1: %2").arg(path, file->errorString());
            return false;
        }
    }

    https = new TlsListener(certificate, key, this);
    connect(https, &TlsListener::secureConnection, this,
            [this](QTcpSocket* socket) { adopt(socket, true); });
    connect(&http, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = http.nextPendingConnection())
            adopt(socket, false);
    });
    if (!https->listen(QHostAddress::LocalHost, options.httpsPort)) {
        *why = QStringLiteral("HTTPS port: ") + https->errorString();
        return false;
    }
    if (!http.listen(QHostAddress::LocalHost, options.httpPort)) {
        *why = QStringLiteral("HTTP port: ") + http.errorString();
        return false;
    }
    simulated = std::make_unique<Site>(http.serverPort());
    simulated->onSent = [this](const QJsonObject& sent) { appendLine(outbox, sent); };
    return true;
}

void Server::adopt(QTcpSocket* socket, bool secure) {
    new Connection(socket, secure, this);
}

void Server::appendLine(QFile& file, const QJsonObject& object) {
    if (!file.isOpen())
        return;
    file.write(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
    file.flush();
}

void Server::logRequest(const Request& request, bool secure) {
    QJsonArray headers;
    for (const Header& h : request.headers)
        headers.append(QJsonArray{QString::fromLatin1(h.first), QString::fromLatin1(h.second)});
    appendLine(requestLog, {{QStringLiteral("scheme"),
                             secure ? QStringLiteral("https") : QStringLiteral("http")},
                            {QStringLiteral("method"), QString::fromLatin1(request.method)},
                            {QStringLiteral("path"), QString::fromLatin1(request.path())},
                            {QStringLiteral("query"), QString::fromLatin1(request.query())},
                            {QStringLiteral("headers"), headers},
                            {QStringLiteral("body"), QString::fromLatin1(request.body)}});
}

bool Server::takeFault(const QByteArray& path, Fault* out) {
    const auto it = faults.find(QString::fromLatin1(path));
    if (it == faults.end())
        return false;
    if (it->skip > 0) {
        --it->skip;
        return false;
    }
    *out = it.value();
    if (--it->count <= 0)
        faults.erase(it);
    return true;
}

void Server::dispatch(Connection* connection, const Request& request) {
    const bool close = request.wantsClose();
    if (request.path().startsWith("/_opsim/")) {
        connection->answer(control(request), close);
        return;
    }
    logRequest(request, connection->secure());
    Fault fault;
    if (!takeFault(request.path(), &fault)) {
        connection->answer(simulated->handle(request, connection->secure()), close);
        return;
    }
    if (fault.kind == QLatin1String("slow")) {
        connection->answerLater(simulated->handle(request, connection->secure()), close,
                                fault.delayMs);
    } else if (fault.kind == QLatin1String("drop")) {
        connection->drop();
    } else if (fault.kind == QLatin1String("lostanswer")) {
        // The site does its work (a text is taken); its answer never leaves.
        simulated->handle(request, connection->secure());
        connection->drop();
    } else if (fault.kind == QLatin1String("http500")) {
        Response r;
        r.status = 500;
        r.body = "<html><head><title>Server error</title></head><body><p>The server met an "
                 "internal error. Please try again later.</p></body></html>\r\n";
        connection->answer(r, close);
    } else if (fault.kind == QLatin1String("blank")) {
        Response r;
        connection->answer(r, close);
    } else {
        connection->answer(Site::wrongPage(), close);
    }
}

Response Server::control(const Request& request) {
    const QUrlQuery query(QString::fromUtf8(request.query()));
    const auto value = [&query](const char* name) {
        return query.queryItemValue(QString::fromLatin1(name), QUrl::FullyDecoded);
    };
    const auto number = [&value](const char* name, int fallback, bool* ok) {
        const QString text = value(name);
        if (text.isEmpty())
            return fallback;
        return text.toInt(ok);
    };
    const QByteArray what = request.path().mid(8);
    if (what == "fault") {
        const QString path = value("path");
        const QString kind = value("kind");
        bool okCount = true;
        bool okDelay = true;
        bool okSkip = true;
        const int count = number("count", 1, &okCount);
        const int delay = number("delay_ms", 0, &okDelay);
        const int skip = number("skip", 0, &okSkip);
        if (!path.startsWith(QLatin1Char('/')))
            return jsonError(QStringLiteral("path must start with /"), 400);
        if (!isFaultKind(kind))
            return jsonError(QStringLiteral("unknown kind"), 400);
        if (!okCount || !okDelay || !okSkip || count < 1 || delay < 0 || skip < 0)
            return jsonError(QStringLiteral("count must be 1 or more, delay_ms and skip 0 or more"),
                             400);
        setFault(path, {kind, count, delay, skip});
        return json({{QStringLiteral("ok"), true}});
    }
    if (what == "reset") {
        clearFaults();
        return json({{QStringLiteral("ok"), true}});
    }
    if (what == "faults") {
        QJsonObject all;
        for (auto it = faults.cbegin(); it != faults.cend(); ++it) {
            all.insert(it.key(), QJsonObject{{QStringLiteral("kind"), it->kind},
                                             {QStringLiteral("count"), it->count},
                                             {QStringLiteral("delay_ms"), it->delayMs},
                                             {QStringLiteral("skip"), it->skip}});
        }
        return json(all);
    }
    if (what == "quota") {
        const Account* a = simulated->account(value("user"));
        if (!a)
            return jsonError(QStringLiteral("no such account"), 404);
        return json({{QStringLiteral("free"), a->free}, {QStringLiteral("paid"), a->paid}});
    }
    if (what == "setquota") {
        bool okFree = false;
        bool okPaid = false;
        const int free = value("free").toInt(&okFree);
        const int paid = value("paid").toInt(&okPaid);
        if (!okFree || !okPaid || !simulated->setQuota(value("user"), free, paid))
            return jsonError(QStringLiteral("no such account or bad figures"), 400);
        return json({{QStringLiteral("ok"), true}});
    }
    if (what == "endsessions") {
        simulated->endSessions();
        return json({{QStringLiteral("ok"), true}});
    }
    return jsonError(QStringLiteral("unknown control"), 404);
}

Connection::Connection(QTcpSocket* socket, bool secure, Server* server)
    : QObject(server), socket(socket), isSecure(secure), server(server) {
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, &Connection::readMore);
    connect(socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    if (socket->bytesAvailable() > 0)
        QTimer::singleShot(0, this, &Connection::readMore);
}

void Connection::readMore() {
    if (closing)
        return;
    parser.feed(socket->readAll());
    processNext();
}

void Connection::processNext() {
    while (!busy && !closing) {
        Request request;
        switch (parser.next(&request)) {
        case RequestParser::State::NeedMore:
            return;
        case RequestParser::State::Bad: {
            Response r;
            r.status = parser.badStatus();
            r.body = "<html><head><title>Bad request</title></head><body><p>" + parser.badReason() +
                     "</p></body></html>\r\n";
            answer(r, true);
            return;
        }
        case RequestParser::State::Ready:
            server->dispatch(this, request);
            break;
        }
    }
}

void Connection::answer(const Response& response, bool close) {
    if (closing)
        return;
    socket->write(response.serialise(close));
    if (close) {
        closing = true;
        socket->disconnectFromHost();
    }
}

void Connection::answerLater(const Response& response, bool close, int delayMs) {
    busy = true;
    QPointer<Connection> self(this);
    QTimer::singleShot(delayMs, this, [self, response, close] {
        if (!self)
            return;
        self->busy = false;
        self->answer(response, close);
        self->processNext();
    });
}

void Connection::drop() {
    closing = true;
    socket->abort();
    deleteLater();
}

} // namespace opsim
