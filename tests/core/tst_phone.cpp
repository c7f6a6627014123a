#include "core/phone.h"

#include <QTest>

using zemble::normalise_number;

class TestPhone : public QObject {
    Q_OBJECT
private slots:
    // A number as typed and its normal form, empty when it is not a UK number.
    void normalise_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("normal");
        QTest::newRow("spaces dropped") << "07 1" << "071";
        QTest::newRow("UK country code becomes 0") << "+44 7 1" << "071";
        QTest::newRow("bracketed 0 after the country code kept") << "+44 (0)7" << "007";
        QTest::newRow("another country") << "+33 6 12 34" << "";
        QTest::newRow("country code cut short") << "+4" << "";
        QTest::newRow("UK country code alone") << "+44" << "0";
        QTest::newRow("international prefix 00 kept as digits") << "00 4" << "004";
        QTest::newRow("no digits") << "abc" << "";
        QTest::newRow("plus inside the number dropped") << "07+1" << "071";
        QTest::newRow("line break inside dropped") << "07\r\n1" << "071";
        QTest::newRow("Arabic-Indic digit dropped") << QString::fromUtf8("07\u0661") << "07";
    }
    void normalise() {
        QFETCH(QString, typed);
        QFETCH(QString, normal);
        QCOMPARE(normalise_number(typed), normal);
    }
};

QTEST_GUILESS_MAIN(TestPhone)
#include "tst_phone.moc"
