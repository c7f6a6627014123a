#include "platform/keyring.h"
#include "platform/remembered_password.h"

#include "support/secret_service.h"

#include <QtTest>

using namespace zemble;
using namespace Qt::StringLiterals;
using platform::Keyring;
using platform::KeyringOutcome;

// The real keyring routine against a real Secret Service of the test's own.
class TestKeyring : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!service_.start())
            QSKIP(qPrintable(QStringLiteral("no Secret Service for the keyring tests: ") +
                             service_.whyNot));
        platform::setKeyringWait(std::chrono::seconds(20));
    }

    // An item stored is read back exactly, replaced by a second store (one item, under its
    // label), and gone once forgotten.
    void storeReadForget_data() {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("password");
        QTest::newRow("spaces and symbols") << u"bob smith"_s << u" p ~x}\"#"_s;
        QTest::newRow("beyond ASCII")
            << QString::fromUtf8("zo\u00eb") << QString::fromUtf8("\u00a3\u20ac\u00e9");
        QTest::newRow("no user name") << u""_s << u"alone"_s;
    }
    void storeReadForget() {
        QFETCH(QString, account);
        QFETCH(QString, password);
        Keyring& keyring = Keyring::real();
        const QString label = portalPasswordLabel(account);
        QCOMPARE(keyring.store(label, account, QStringLiteral("first")), KeyringOutcome::Done);
        QCOMPARE(keyring.store(label, account, password), KeyringOutcome::Done);
        const platform::KeyringRead read = keyring.read(label, account);
        QCOMPARE(read.outcome, KeyringOutcome::Done);
        QCOMPARE(read.password, password);
        QCOMPARE(service_.itemLabels(), QStringList{label});
        QCOMPARE(keyring.forget(label, account), KeyringOutcome::Done);
        QCOMPARE(keyring.read(label, account).outcome, KeyringOutcome::NotFound);
    }

private:
    test::PrivateSecretService service_;
};

QTEST_GUILESS_MAIN(TestKeyring)
#include "tst_keyring.moc"
