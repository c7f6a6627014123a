// The simulator's portal log-on page as the program parses it: the hidden fields at the
// program's markers, escaped as the site escapes them.

#include "support/opsim.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QTest>

using namespace zemble::test;

class TestOpSim : public QObject {
    Q_OBJECT
private slots:
    void portalPage() {
        OpSim sim{{{"zoe", "p w+&", "Zo\u00EB & Co", 10, 5}}};
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        const QString dest = "http://" + sim.smsHost() + "/0,,899,00.html";
        QNetworkRequest request{QUrl("https://" + sim.portalHost() + "/login/mblogin")};
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.setCaCertificates(QSslCertificate::fromPath(OpSim::caFile()));
        request.setSslConfiguration(ssl);
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
        QNetworkAccessManager manager;
        std::unique_ptr<QNetworkReply> reply(manager.post(
            request, "username=zoe&password=p%20w%2B%26&dest=" + QUrl::toPercentEncoding(dest)));
        QEventLoop loop;
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        const QString page = QString::fromLatin1(reply->readAll());
        QVERIFY(page.contains("<title>BackGround Login</title>"));

        // Each value sits between the program's start marker (padded to 39) and "\">".
        QStringList values;
        for (const QString field : {"firstname", "username", "dest", "mID", "mAT", "QE3"}) {
            const QString start =
                QString("input type=\"hidden\" name=\"%1\"").arg(field).leftJustified(39) +
                "value=\"";
            const qsizetype s = page.indexOf(start, 0, Qt::CaseInsensitive);
            const qsizetype e = s < 0 ? -1 : page.indexOf("\">", s + start.size());
            QVERIFY2(e > s + start.size(), qPrintable(field));
            values << page.mid(s + start.size(), e - s - start.size());
        }
        QCOMPARE(values.mid(0, 3), (QStringList{"Zo\u00EB &amp; Co", "zoe", dest}));
    }
};

QTEST_MAIN(TestOpSim)
#include "tst_opsim.moc"
