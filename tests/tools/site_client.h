#pragma once

// A small browser for talking to the simulator from tests: keeps cookies,
// follows redirects (HTTPS to HTTP too), trusts the simulator's authority and
// waits for each answer in a bounded nested loop.

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPair>
#include <QString>

namespace zemble::test {

struct SiteAnswer {
    int status = 0; // 0 when no HTTP answer came
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
    QString text() const { return QString::fromLatin1(body); }
};

class SiteClient {
public:
    explicit SiteClient(const QString& caFile);

    SiteAnswer get(const QString& url);
    SiteAnswer post(const QString& url, const QByteArray& body);

private:
    SiteAnswer run(const QString& url, const QByteArray* body);

    QNetworkAccessManager manager;
    QString caFile;
};

// One request written and read on a raw socket to 127.0.0.1:port; the whole
// answer (status line, headers, body) until the server closes or `waitMs`.
QByteArray rawExchange(int port, const QList<QByteArray>& pieces, int waitMs = 3000);

} // namespace zemble::test
