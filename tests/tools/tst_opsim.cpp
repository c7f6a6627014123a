// The simulator as a browser meets it: a two-step log-on, texts taken only inside the
// session, a fault that applies once.

#include "support/opsim.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QTest>

using namespace zemble::test;

namespace {

const QString kSuccess = "Your message has been sent successfully";
const QString kHome = "/webOriginate/action/viewHomePage";

// The value between two markers, both found ignoring case; "" when absent.
QString cut(const QString& page, const QString& start, const QString& end) {
    const qsizetype s = page.indexOf(start, 0, Qt::CaseInsensitive);
    const qsizetype e = s < 0 ? -1 : page.indexOf(end, s + start.size(), Qt::CaseInsensitive);
    return e < 0 ? QString() : page.mid(s + start.size(), e - s - start.size());
}

// A browser on the simulator: keeps cookies, follows redirects (HTTPS to HTTP
// too) and trusts the simulator's authority.
struct Browser {
    OpSim sim{{{"zoe", "p w+&", "Zo\u00EB & Co", 10, 5}}};
    QNetworkAccessManager manager;
    int status = 0;

    QString fetch(const QString& url, const QByteArray* body = nullptr) {
        QNetworkRequest request{QUrl(url)};
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.setCaCertificates(QSslCertificate::fromPath(OpSim::caFile()));
        request.setSslConfiguration(ssl);
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::UserVerifiedRedirectPolicy);
        std::unique_ptr<QNetworkReply> reply(body ? manager.post(request, *body)
                                                  : manager.get(request));
        QObject::connect(reply.get(), &QNetworkReply::redirected, reply.get(),
                         [r = reply.get()] { emit r->redirectAllowed(); });
        QEventLoop loop;
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        return QString::fromLatin1(reply->readAll());
    }
    QString post(const QString& url, const QByteArray& body) { return fetch(url, &body); }
    QString http(const QString& path) const { return "http://" + sim.smsHost() + path; }
    QString send(const QString& number, const char* how, const QString& text) {
        return post(http("/webOriginate/action/sendMessage"),
                    "contacts=&msisdns=" + number.toLatin1() + "&to=" + number.toLatin1() +
                        "&subject=&howtosend=" + how + "&message=" +
                        text.toLatin1().toPercentEncoding() + "&replyType=none&x=14&y=13");
    }
};

} // namespace

class TestOpSim : public QObject {
    Q_OBJECT
private slots:
    void session() {
        Browser b;
        QVERIFY2(b.sim.start(), qPrintable(b.sim.errorText()));
        QVERIFY(!b.send("07123456789", "freetxt", "Early").contains(kSuccess));

        // The portal's page carries the six hidden fields at the program's markers.
        const QString dest = b.http("/0,,899,00.html");
        const QString page =
            b.post("https://" + b.sim.portalHost() + "/login/mblogin",
                   "username=zoe&password=p%20w%2B%26&dest=" + QUrl::toPercentEncoding(dest));
        QVERIFY(page.contains("<title>BackGround Login</title>"));
        QByteArray data = "data=";
        for (const QString& field : {"firstname", "username", "dest", "mID", "mAT", "QE3"}) {
            const QString start = QString("input type=\"hidden\" name=\"%1\"").arg(field);
            const QString value = cut(page, start.leftJustified(39) + "value=\"", "\">");
            QVERIFY2(!value.isEmpty(), qPrintable(field));
            data += (data.size() > 5 ? "&" : "") + field.toLatin1() + '=' +
                    value.toLatin1().toPercentEncoding();
        }
        QVERIFY(data.contains("firstname=Zo%EB%20%26amp%3B%20Co&username=zoe&dest=" +
                              QUrl::toPercentEncoding(dest) + "&mID="));
        QVERIFY(b.post("https://" + b.sim.portalHost() + "/login/bglogin", data).contains(dest));

        // A fault applies to its request once, then the site answers as before.
        QVERIFY(b.sim.setFault(kHome, "http500", 1, 0, 1));
        for (const int status : {200, 500, 200}) {
            const QString home = b.fetch(b.http(kHome));
            QCOMPARE(b.status, status);
            QCOMPARE(cut(home, "Use paid TXT - you have ", " TXT remaining"),
                     status == 200 ? "5" : "");
        }
        QVERIFY(b.send("07123456789", "freetxt", "Hi \u00A35 & more").contains(kSuccess));
        QVERIFY(b.send("07987654321", "paidtxt", "Paid one").contains(kSuccess));
        QCOMPARE(b.sim.quota("zoe"), (QJsonObject{{"free", 9}, {"paid", 4}}));

        b.post(b.http("/logout.html"), {});
        QVERIFY(!b.send("07123456789", "freetxt", "After").contains(kSuccess));
        // clang-format off
        QCOMPARE(b.sim.outbox(), (QList<QJsonObject>{
            {{"account", "zoe"}, {"number", "07123456789"}, {"type", "free"}, {"text", "Hi \u00A35 & more"}},
            {{"account", "zoe"}, {"number", "07987654321"}, {"type", "paid"}, {"text", "Paid one"}}}));
        // clang-format on
    }
};

QTEST_MAIN(TestOpSim)
#include "tst_opsim.moc"
