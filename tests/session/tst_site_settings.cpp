// The host and authority values that can reach the site pass the check that runs before any
// request (those that cannot are refused by both programs: tests/support/bad_site_settings.h).

#include "session/site_settings.h"

#include "support/opsim.h"

#include <QtTest>

using namespace zemble;
using namespace zemble::test;

class TestSiteSettings : public QObject {
    Q_OBJECT
private slots:
    void usableHostValues_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("the operator's own host") << "login.o2.co.uk";
        QTest::newRow("name with a port") << "localhost:8443";
        QTest::newRow("lowest port") << "localhost:1";
        QTest::newRow("highest port") << "localhost:65535";
        QTest::newRow("IPv4 address") << "127.0.0.1";
        QTest::newRow("IPv6 address in brackets with a port") << "[::1]:8080";
        QTest::newRow("name in letters beyond ASCII") << "b\u00fccher.example";
        QTest::newRow("name ending in a dot") << "www.o2.co.uk.";
        QTest::newRow("capital letters and hyphens") << "SEND-TXT.O2.co.uk";
    }
    void usableHostValues() {
        QFETCH(QString, value);
        QCOMPARE(hostValueProblem(value), QString());
    }

    void usableAuthorityFiles() {
        QCOMPARE(authorityFileProblem(""), QString()); // no extra authorities
        QCOMPARE(authorityFileProblem(OpSim::caFile()), QString());
    }
};

QTEST_GUILESS_MAIN(TestSiteSettings)
#include "tst_site_settings.moc"
