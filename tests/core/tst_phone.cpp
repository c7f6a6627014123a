#include "core/phone.h"

#include <QTest>

using zemble::normalise_number;

class TestPhone : public QObject {
    Q_OBJECT
private slots:
    void normalise_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("national with blank") << "07 1"
                                             << "071";
        QTest::newRow("+44 with blanks") << "+44 7 1"
                                         << "071";
        QTest::newRow("+44 packed") << "+4471"
                                    << "071";
        QTest::newRow("bracketed 0 kept") << "+44 (0)7"
                                          << "007";
        QTest::newRow("France") << "+33 6 12 34 56 78"
                                << "";
        QTest::newRow("USA") << "+1 555 0100"
                             << "";
        QTest::newRow("plus alone") << "+"
                                    << "";
        QTest::newRow("plus and one digit") << "+4"
                                            << "";
        QTest::newRow("+44 alone") << "+44"
                                   << "0";
        QTest::newRow("00 prefix kept") << "00 4"
                                        << "004";
        QTest::newRow("dash and words") << "07-1 (mobile)"
                                        << "071";
        QTest::newRow("no digits") << "abc"
                                   << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("later plus dropped") << "07+1"
                                            << "071";
        QTest::newRow("line breaks dropped") << "07\r\n1"
                                             << "071";
        QTest::newRow("non-ASCII digits dropped") << QString::fromUtf8("07\u0661") << "07";
    }
    void normalise() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(normalise_number(input), expected);
    }
};

QTEST_GUILESS_MAIN(TestPhone)
#include "tst_phone.moc"
