#include "core/phone.h"

#include <QTest>

using zemble::normalise_number;
using namespace Qt::StringLiterals;

class TestPhone : public QObject {
    Q_OBJECT
private slots:
    // A number as typed and its normal form, empty when it is not a UK number.
    void normalise_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("normal");
        QTest::newRow("UK country code becomes 0") << u"+44 7 1"_s << u"071"_s;
        QTest::newRow("bracketed 0 after the country code kept") << u"+44 (0)7"_s << u"007"_s;
        QTest::newRow("another country") << u"+33 6 12 34"_s << u""_s;
        QTest::newRow("country code cut short") << u"+4"_s << u""_s;
        QTest::newRow("UK country code alone") << u"+44"_s << u"0"_s;
        QTest::newRow("international prefix 00 kept as digits") << u"00 4"_s << u"004"_s;
        QTest::newRow("no digits") << u"abc"_s << u""_s;
        QTest::newRow("plus inside the number dropped") << u"07+1"_s << u"071"_s;
        QTest::newRow("line break inside dropped") << u"07\r\n1"_s << u"071"_s;
        QTest::newRow("Arabic-Indic digit dropped") << QString::fromUtf8("07\u0661") << u"07"_s;
    }
    void normalise() {
        QFETCH(QString, typed);
        QFETCH(QString, normal);
        QCOMPARE(normalise_number(typed), normal);
    }
};

QTEST_GUILESS_MAIN(TestPhone)
#include "tst_phone.moc"
