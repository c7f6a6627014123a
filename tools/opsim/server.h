#pragma once

// The simulator's two listeners (HTTPS for the login hosts, HTTP for the SMS
// and main web hosts), its persistent connections, the request log, the
// outbox and the injected faults.

#include "http.h"
#include "site.h"

#include <QFile>
#include <QHash>
#include <QJsonObject>
#include <QPointer>
#include <QSslCertificate>
#include <QSslKey>
#include <QTcpServer>
#include <memory>

class QTcpSocket;

namespace opsim {

struct Fault {
    QString kind; // slow, drop, lostanswer, http500, blank, wrongpage
    int count = 1;
    int delayMs = 0;
    int skip = 0; // requests of the path that pass unharmed first
};

bool isFaultKind(const QString& kind);

// Accepts TLS connections with the given certificate and key.
class TlsListener : public QTcpServer {
    Q_OBJECT
public:
    TlsListener(QSslCertificate certificate, QSslKey key, QObject* parent = nullptr)
        : QTcpServer(parent), certificate(std::move(certificate)), key(std::move(key)) {}

signals:
    void secureConnection(QTcpSocket* socket);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    QSslCertificate certificate;
    QSslKey key;
};

class Server : public QObject {
    Q_OBJECT
public:
    struct Options {
        quint16 httpsPort = 0;
        quint16 httpPort = 0;
        bool untrustedCertificate = false;
        QString outboxPath;
        QString requestsPath;
    };

    explicit Server(Options options, QObject* parent = nullptr);

    // Opens the log files and both listeners on 127.0.0.1.
    bool start(QString* why);
    quint16 httpsPort() const { return https ? https->serverPort() : 0; }
    quint16 httpPort() const { return http.serverPort(); }

    // The site, created by start() once the HTTP port is known.
    Site* site() { return simulated.get(); }

    void setFault(const QString& path, const Fault& fault) { faults.insert(path, fault); }
    void clearFaults() { faults.clear(); }

private:
    friend class Connection;

    void adopt(QTcpSocket* socket, bool secure);
    // What to do with one request: an answer now, later or never.
    void dispatch(class Connection* connection, const Request& request);
    Response control(const Request& request);
    // Takes one use of the fault armed for `path`, if any.
    bool takeFault(const QByteArray& path, Fault* out);
    void logRequest(const Request& request, bool secure);
    void appendLine(QFile& file, const QJsonObject& object);

    Options options;
    QTcpServer http;
    TlsListener* https = nullptr;
    std::unique_ptr<Site> simulated;
    QHash<QString, Fault> faults;
    QFile outbox;
    QFile requestLog;
};

// One client connection: reads requests in order and answers each before
// reading the next, so a delayed answer holds back the ones behind it.
class Connection : public QObject {
    Q_OBJECT
public:
    Connection(QTcpSocket* socket, bool secure, Server* server);

    bool secure() const { return isSecure; }
    void answer(const Response& response, bool close);
    void answerLater(const Response& response, bool close, int delayMs);
    void drop();

private:
    void readMore();
    void processNext();

    QTcpSocket* socket;
    bool isSecure;
    Server* server;
    RequestParser parser;
    bool busy = false;
    bool closing = false;
};

} // namespace opsim
