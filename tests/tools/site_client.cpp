#include "site_client.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace zemble::test {

SiteClient::SiteClient(const QString& caFile) : caFile(caFile) {
    manager.setProxy(QNetworkProxy::NoProxy);
}

SiteAnswer SiteClient::get(const QString& url) {
    return run(url, nullptr);
}

SiteAnswer SiteClient::post(const QString& url, const QByteArray& body) {
    return run(url, &body);
}

SiteAnswer SiteClient::run(const QString& url, const QByteArray* body) {
    QNetworkRequest request{QUrl(url)};
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.setCaCertificates(QSslCertificate::fromPath(caFile));
    request.setSslConfiguration(ssl);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    QNetworkReply* reply = nullptr;
    if (body) {
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QByteArrayLiteral("application/x-www-form-urlencoded"));
        reply = manager.post(request, *body);
    } else {
        reply = manager.get(request);
    }
    QObject::connect(reply, &QNetworkReply::redirected, reply,
                     [reply](const QUrl&) { emit reply->redirectAllowed(); });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    SiteAnswer answer;
    if (!reply->isFinished()) {
        reply->abort();
        answer.error = QNetworkReply::TimeoutError;
    } else {
        answer.error = reply->error();
    }
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.body = reply->readAll();
    reply->deleteLater();
    return answer;
}

QByteArray rawExchange(int port, const QList<QByteArray>& pieces, int waitMs) {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
    if (!socket.waitForConnected(waitMs))
        return {};
    for (const QByteArray& piece : pieces) {
        socket.write(piece);
        socket.waitForBytesWritten(waitMs);
        QTest::qWait(50); // let the server see each piece on its own
    }
    QByteArray answer;
    QDeadlineTimer deadline(waitMs);
    while (socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        if (socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            answer += socket.readAll();
    }
    return answer + socket.readAll();
}

} // namespace zemble::test
