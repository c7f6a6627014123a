#include "core/phone.h"

#include <QTest>

using namespace Qt::StringLiterals;
using zemble::normalise_number;

class TestPhone : public QObject {
    Q_OBJECT
private slots:
    void normalise_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("national with blank") << u"07 1"_s << u"071"_s;
        QTest::newRow("+44 with blanks") << u"+44 7 1"_s << u"071"_s;
        QTest::newRow("+44 packed") << u"+4471"_s << u"071"_s;
        QTest::newRow("bracketed 0 kept") << u"+44 (0)7"_s << u"007"_s;
        QTest::newRow("France") << u"+33 6 12 34 56 78"_s << QString();
        QTest::newRow("plus alone") << u"+"_s << QString();
        QTest::newRow("plus and one digit") << u"+4"_s << QString();
        QTest::newRow("+44 alone") << u"+44"_s << u"0"_s;
        QTest::newRow("00 prefix kept") << u"00 4"_s << u"004"_s;
        QTest::newRow("dash and words") << u"07-1 (mobile)"_s << u"071"_s;
        QTest::newRow("no digits") << u"abc"_s << QString();
        QTest::newRow("later plus dropped") << u"07+1"_s << u"071"_s;
        QTest::newRow("line breaks dropped") << u"07\r\n1"_s << u"071"_s;
        QTest::newRow("non-ASCII digits dropped") << u"07\u0661"_s << u"07"_s;
    }
    void normalise() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(normalise_number(input), expected);
    }
};

QTEST_GUILESS_MAIN(TestPhone)
#include "tst_phone.moc"
