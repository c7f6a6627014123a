#include "core/gateway_address.h"

#include <QTest>

using namespace zemble;

class TestGatewayAddress : public QObject {
    Q_OBJECT
private slots:
    // The password is flagged as travelling in clear only on plain http to another machine.
    void passwordInClear_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("inClear");
        const auto row = [](const char* name, const char* address, bool inClear) {
            QTest::newRow(name) << QString::fromUtf8(address) << inClear;
        };
        row("no address yet", "", false);
        row("localhost in capitals", "HTTP://LocalHost:13013/", false);
        row("IPv4 loopback", "http://127.0.0.1:13013", false);
        row("elsewhere in 127/8", "http://127.45.6.7:13013", false);
        row("IPv6 loopback", "http://[::1]:13013", false);
        row("IPv6 loopback written out", "http://[0:0:0:0:0:0:0:1]:13013", false);
        row("no scheme, this machine", "localhost:13013", false);
        row("https to another machine", "https://sms.example.net:13013", false);
        row("http to another machine", "http://sms.example.net:13013", true);
        row("http to 128.0.0.1", "http://128.0.0.1:13013", true);
        row("no scheme, another machine", "sms.example.net:13013", true);
        row("a name that starts like loopback", "http://127.0.0.1.example.net/", true);
        row("user info naming localhost", "http://localhost@sms.example.net/", true);
        row("a host named after localhost", "http://localhost.example.net/", true);
        row("IPv6 address of another machine", "http://[2001:db8::1]:13013", true);
    }
    void passwordInClear() {
        QFETCH(QString, address);
        QFETCH(bool, inClear);
        QCOMPARE(gatewayPasswordInClear(address), inClear);
    }
};

QTEST_GUILESS_MAIN(TestGatewayAddress)
#include "tst_gateway_address.moc"
