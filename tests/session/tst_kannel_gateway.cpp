// Sending through a Kannel SMS gateway: against a real Kannel on loopback
// (bearerbox, smsbox and the fake SMS centre), and against servers that
// answer in the gateway's place the way Kannel never does.

#include "core/session_state.h"
#include "session/kannel_gateway.h"
#include "session/transport_front.h"

#include "support/hostile_server.h"
#include "support/kannel.h"
#include "support/temp_settings.h"

#include <QtTest>

using namespace zemble;
using namespace zemble::test;

namespace {

// Takes every failed request as given up, and keeps what it was shown.
class RecordingFront final : public TransportFront {
public:
    FailureChoice requestFailed(const RequestFailure& failure) override {
        failures.append(failure);
        return FailureChoice::Abort;
    }
    QList<RequestFailure> failures;
};

// Everything a failed request put before the user, in one text to search.
QString shown(const QList<RequestFailure>& failures, const GatewayReply& reply) {
    QString all = reply.text;
    for (const RequestFailure& f : failures)
        all += f.address + f.expected + f.page + f.description;
    return all;
}

// The texts the recipient received, each as the phone joins its parts.
QList<KannelDelivery> deliveriesTo(const Kannel& kannel, const QString& number) {
    QList<KannelDelivery> result;
    for (const KannelDelivery& d : kannel.deliveries()) {
        if (d.to == number)
            result.append(d);
    }
    return result;
}

const QString kLongText =
    QStringLiteral("Dinner on Friday is \u00a312 a head, and the table is booked for eight. ")
        .repeated(3); // 219 characters: two parts

using Answer = HostileServer::Answer;

} // namespace

Q_DECLARE_METATYPE(GatewayOutcome)
Q_DECLARE_METATYPE(Answer)
Q_DECLARE_METATYPE(std::optional<QString>)

class TestKannelGateway : public QObject {
    Q_OBJECT
    TempSettings settings_;
    Kannel kannel_;
    bool kannelUp_ = false;

    GatewayAccount account(const QString& password) const {
        return {kannel_.url(), kannel_.username, password, QString(), QString()};
    }
    void requireKannel() {
        if (const QString missing = Kannel::notInstalled(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        if (!kannelUp_)
            kannelUp_ = kannel_.start();
        QVERIFY2(kannelUp_, qPrintable(kannel_.errorText()));
    }

private slots:
    void textsArriveOnceEachWhole_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("recipients");
        QTest::addColumn<int>("partsEach");
        QTest::newRow("a long text stays one text for each recipient")
            << kLongText << QStringList{"07700900111", "07700900112", "07700900113"} << 2;
        QTest::newRow("the euro and brackets of the extension table")
            << QStringLiteral("\u20ac40 {deposit} [paid] ~ok^") << QStringList{"07700900121"} << 1;
        QTest::newRow("letters beyond the GSM alphabet go as UCS-2")
            << QStringLiteral("Caf\u00e1 at n\u00edne \u2013 \u201cdon't be late\u201d")
            << QStringList{"07700900131"} << 1;
        QTest::newRow("a number written with a blank")
            << QStringLiteral("Spaced out") << QStringList{"07700 900141"} << 1;
    }
    void textsArriveOnceEachWhole() {
        QFETCH(QString, text);
        QFETCH(QStringList, recipients);
        QFETCH(int, partsEach);
        requireKannel();
        KannelGateway gateway(account(kannel_.password));
        const qsizetype before = kannel_.received().size();

        for (const QString& number : recipients) {
            QVERIFY2(gateway.send_text(number, text), qPrintable(gateway.lastReply().text));
            QCOMPARE(gateway.lastReply().outcome, GatewayOutcome::Sent);
            QCOMPARE(gateway.lastReply().status, 202);
        }
        const int expectedParts = int(recipients.size()) * partsEach;
        QVERIFY(kannel_.waitForParts(int(before) + expectedParts));
        QTest::qWait(500); // a text sent twice would show up by now
        QCOMPARE(kannel_.received().size(), before + expectedParts);
        for (const QString& number : recipients) {
            const QList<KannelDelivery> got =
                deliveriesTo(kannel_, QString(number).remove(QLatin1Char(' ')));
            QCOMPARE(got.size(), 1);
            QCOMPARE(got.first().text, text);
            QCOMPARE(got.first().parts, partsEach);
        }
    }

    void refusedRequestsBringTheGatewaysReply_data() {
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("reply");
        QTest::newRow("a wrong password")
            << QStringLiteral("zemble") << QStringLiteral("not-the-password")
            << QStringLiteral("403 Authorization failed for sendsms");
    }
    void refusedRequestsBringTheGatewaysReply() {
        QFETCH(QString, username);
        QFETCH(QString, password);
        QFETCH(QString, reply);
        requireKannel();
        GatewayAccount refused = account(password);
        refused.username = username;
        KannelGateway gateway(refused);
        RecordingFront front;
        gateway.transport().setFront(&front);
        const qsizetype before = kannel_.received().size();

        QVERIFY(!gateway.send_text(QStringLiteral("07700900201"), QStringLiteral("Not for you")));

        QCOMPARE(gateway.lastReply().outcome, GatewayOutcome::Rejected);
        QCOMPARE(gateway.lastReply().status, 403);
        QCOMPARE(gateway.lastReply().text, reply);
        QCOMPARE(front.failures.size(), 1);
        QCOMPARE(front.failures.first().status, 403);
        QVERIFY(!shown(front.failures, gateway.lastReply()).contains(password));
        QTest::qWait(500);
        QCOMPARE(kannel_.received().size(), before);
    }

    void aGatewayStoppedHalfWayDeliversNothingTwice() {
        if (const QString missing = Kannel::notInstalled(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        Kannel kannel;
        QVERIFY2(kannel.start(), qPrintable(kannel.errorText()));
        KannelGateway gateway({kannel.url(), kannel.username, kannel.password, {}, {}});
        const QString text = QStringLiteral("Meet at the station, \u00a35 for the taxi");

        QVERIFY(gateway.send_text(QStringLiteral("07700900301"), text));
        QVERIFY(kannel.waitForParts(1));
        kannel.killSmsbox();
        QVERIFY(!gateway.send_text(QStringLiteral("07700900302"), text));
        const GatewayOutcome second = gateway.lastReply().outcome;
        QVERIFY(!gateway.send_text(QStringLiteral("07700900303"), text));
        const GatewayOutcome third = gateway.lastReply().outcome;

        // Nothing reached a gateway that no longer listens.
        QCOMPARE(second, GatewayOutcome::Failed);
        QCOMPARE(third, GatewayOutcome::Failed);
        QVERIFY(!gateway.lastReply().text.isEmpty());
        QTest::qWait(500);
        QCOMPARE(deliveriesTo(kannel, "07700900301").size(), 1);
        QCOMPARE(deliveriesTo(kannel, "07700900302").size(), 0);
        QCOMPARE(deliveriesTo(kannel, "07700900303").size(), 0);
    }

    void answersKannelNeverGivesAreNotTakenForSent_data() {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<GatewayOutcome>("outcome");
        QTest::addColumn<std::optional<QString>>("reply"); // none: no reply text to compare
        QTest::addColumn<int>("requestsToGateway");
        QTest::addColumn<int>("requestsToOtherHost");
        const auto answer = [](const QByteArray& status, const QByteArray& body) {
            return Answer{.bytes = "HTTP/1.1 " + status +
                                   "\r\nContent-Length: " + QByteArray::number(body.size()) +
                                   "\r\nConnection: close\r\n\r\n" + body};
        };
        QTest::newRow("queued for later delivery")
            << answer("202 Accepted", "3: Queued for later delivery") << GatewayOutcome::Sent
            << std::optional<QString>("202 3: Queued for later delivery") << 1 << 0;
        QTest::newRow("a temporary failure")
            << answer("503 Service Unavailable", "Temporal failure, try again later.")
            << GatewayOutcome::Rejected
            << std::optional<QString>("503 Temporal failure, try again later.") << 1 << 0;
        QTest::newRow("accepting words with the wrong status")
            << answer("200 OK", "0: Accepted for delivery") << GatewayOutcome::Rejected
            << std::optional<QString>("200 0: Accepted for delivery") << 1 << 0;
        QTest::newRow("the right status without the accepting words")
            << answer("202 Accepted", "<html>Thank you</html>") << GatewayOutcome::Rejected
            << std::optional<QString>("202 <html>Thank you</html>") << 1 << 0;
        QTest::newRow("the connection closed after the request")
            << Answer{.drop = true} << GatewayOutcome::MayHaveArrived << std::optional<QString>()
            << 1 << 0;
        QTest::newRow("a redirect to another host that would keep the body")
            << Answer{.bytes = HostileServer::redirect(307, "{other}/cgi-bin/sendsms")}
            << GatewayOutcome::MayHaveArrived << std::optional<QString>() << 1 << 0;
        QTest::newRow("a redirect to another host as a plain page")
            << Answer{.bytes = HostileServer::redirect(302, "{other}/elsewhere")}
            << GatewayOutcome::Rejected
            << std::optional<QString>("200 <html><body>Not here</body></html>") << 1 << 1;
    }
    void answersKannelNeverGivesAreNotTakenForSent() {
        QFETCH(Answer, answer);
        QFETCH(GatewayOutcome, outcome);
        QFETCH(std::optional<QString>, reply);
        QFETCH(int, requestsToGateway);
        QFETCH(int, requestsToOtherHost);
        HostileServer gatewayServer, other;
        QVERIFY(gatewayServer.listen() && other.listen());
        answer.bytes.replace("{other}", other.address("").toUtf8());
        gatewayServer.on("/cgi-bin/sendsms", answer);
        const QString password = QStringLiteral("never-elsewhere");
        KannelGateway gateway({gatewayServer.address(""), "zemble", password, {}, {}});
        gateway.transport().setRequestTimeout(5000);
        RecordingFront front;
        gateway.transport().setFront(&front);

        const bool done = gateway.send_text(QStringLiteral("07700900401"), QStringLiteral("Hi"));

        QCOMPARE(done, outcome == GatewayOutcome::Sent);
        QCOMPARE(gateway.lastReply().outcome, outcome);
        if (reply)
            QCOMPARE(gateway.lastReply().text, *reply);
        QCOMPARE(gatewayServer.received.size(), requestsToGateway);
        QVERIFY(gatewayServer.received.first().head.contains("X-Kannel-Password: " +
                                                             password.toUtf8()));
        QCOMPARE(other.received.size(), requestsToOtherHost);
        for (const HostileServer::Received& r : other.received) {
            QVERIFY(!r.head.contains(password.toUtf8()));
            QVERIFY(r.body.isEmpty());
        }
        QVERIFY(!shown(front.failures, gateway.lastReply()).contains(password));
    }

    void nothingIsSentForAnAccountOrNumberThatCannotWork_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("reply");
        QTest::newRow("no gateway address") << ""
                                            << ""
                                            << "07700900501"
                                            << "Nothing was sent: no gateway address is set.";
        QTest::newRow("an address that is not a web address")
            << "ftp://127.0.0.1:1/"
            << ""
            << "07700900501"
            << "Nothing was sent: the gateway address must be an http:// or https:// address.";
        QTest::newRow("a sender with a line break")
            << "{gateway}"
            << "Zemble\r\nX-Kannel-To: 07700900999"
            << "07700900501"
            << "Nothing was sent: the gateway's user name, password, sender and SMS centre "
               "cannot hold a line break.";
        QTest::newRow("two numbers in one")
            << "{gateway}"
            << ""
            << "07700900501;07700900502"
            << "Nothing was sent: '07700900501;07700900502' is not a phone number.";
        QTest::newRow("a name instead of a number")
            << "{gateway}"
            << ""
            << "Bob"
            << "Nothing was sent: 'Bob' is not a phone number.";
    }
    void nothingIsSentForAnAccountOrNumberThatCannotWork() {
        QFETCH(QString, url);
        QFETCH(QString, sender);
        QFETCH(QString, number);
        QFETCH(QString, reply);
        HostileServer gatewayServer;
        QVERIFY(gatewayServer.listen());
        KannelGateway gateway(
            {url.replace("{gateway}", gatewayServer.address("")), "zemble", "secret", sender, {}});

        QVERIFY(!gateway.send_text(number, QStringLiteral("Hi")));

        QCOMPARE(gateway.lastReply().outcome, GatewayOutcome::Failed);
        QCOMPARE(gateway.lastReply().text, reply);
        QCOMPARE(gatewayServer.received.size(), 0);
    }

    void repliesAreShownOnOneBoundedLine_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("shownText");
        QTest::newRow("line breaks and control characters become one blank")
            << 400 << "Sender missing\r\n\tand no global set,\x07 rejected\r\n"
            << "400 Sender missing and no global set, rejected";
        QTest::newRow("an empty page") << 500 << ""
                                       << "500";
        QTest::newRow("a long page is cut")
            << 502 << QString(500, QLatin1Char('x'))
            << "502 " + QString(KannelGateway::kMaxReplyChars - 7, QLatin1Char('x')) + "...";
    }
    void repliesAreShownOnOneBoundedLine() {
        QFETCH(int, status);
        QFETCH(QString, page);
        QFETCH(QString, shownText);
        QCOMPARE(KannelGateway::replyText(status, page), shownText);
    }
};

QTEST_GUILESS_MAIN(TestKannelGateway)
#include "tst_kannel_gateway.moc"
