#pragma once

// A web server for tests that plays whoever answers in the site's place on
// the network path: it redirects anywhere, trickles or never ends a page,
// drops the answer after reading the request, serves crafted pages and
// certificates.  It runs inside the test process on 127.0.0.1, plain HTTP or
// TLS, and records every request it read whole.  The simulator models the
// site; this models an attacker, so the two stay apart.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class QTcpServer;
class QTcpSocket;

namespace zemble::test {

class HostileServer : public QObject {
    Q_OBJECT
public:
    // One request as it arrived.
    struct Received {
        QByteArray method;
        QByteArray path;
        QByteArray body;
    };

    // How a path is answered.  Unknown paths get a small 404 page.
    struct Answer {
        QByteArray bytes;     // the whole answer: status line, headers and body
        int trickleMs = 0;    // more than 0: one byte of `bytes` every trickleMs
        bool drop = false;    // read the request, then close without a byte
        bool endless = false; // after `bytes`, the letter "a" without end
    };

    // Plain HTTP, or TLS with a certificate and key from PEM files.
    explicit HostileServer(const QString& certificateFile = {}, const QString& keyFile = {});
    ~HostileServer() override;

    // Listens on 127.0.0.1, on a port the system picks.
    bool listen();
    // "http://127.0.0.1:<port>" or "https://localhost:<port>", then `path`.
    QString address(const QString& path) const;

    void on(const QByteArray& path, const Answer& answer) { answers_.insert(path, answer); }

    // A 200 answer with the page as its body.
    static QByteArray page(const QByteArray& html);
    // A redirect answer with an empty body.
    static QByteArray redirect(int status, const QString& location);

    QList<Received> received;

private:
    void adopt(QTcpSocket* socket);
    void serve(QTcpSocket* socket, const Answer& answer);

    std::unique_ptr<QTcpServer> server_;
    bool secure_ = false;
    QHash<QByteArray, Answer> answers_;
};

} // namespace zemble::test
