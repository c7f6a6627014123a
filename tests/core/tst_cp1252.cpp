#include "core/cp1252.h"

#include <QTest>

using namespace zemble;

class TestCp1252 : public QObject {
    Q_OBJECT
private slots:
    void code_data() {
        QTest::addColumn<QString>("ch");
        QTest::addColumn<int>("code");
        QTest::newRow("A") << "A" << 65;
        QTest::newRow("pound") << QString::fromUtf8("\u00a3") << 163;
        QTest::newRow("euro") << QString::fromUtf8("\u20ac") << 0x80;
        QTest::newRow("left quote") << QString::fromUtf8("\u2018") << 0x91;
        QTest::newRow("bullet") << QString::fromUtf8("\u2022") << 0x95;
        QTest::newRow("y diaeresis") << QString::fromUtf8("\u0178") << 0x9F;
        QTest::newRow("e acute") << QString::fromUtf8("\u00e9") << 0xE9;
        QTest::newRow("Cyrillic lacks a code") << QString::fromUtf8("\u0416") << 63;
    }
    void code() {
        QFETCH(QString, ch);
        QFETCH(int, code);
        QCOMPARE(cp1252Code(ch.at(0)), code);
    }

    void roundTripOfEveryByte() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(toCp1252(fromCp1252(all)), all);
    }

    void unmappedBecomeQuestionMarks() {
        QCOMPARE(toCp1252(QString::fromUtf8("a\u0416b")), QByteArray("a?b"));
        // A character beyond the basic plane is one "?", not two.
        QCOMPARE(toCp1252(QString::fromUtf8("x\U0001F600y")), QByteArray("x?y"));
        QCOMPARE(cp1252Fold(QString::fromUtf8("\u0416\u00a3")), QString::fromUtf8("?\u00a3"));
    }
};

QTEST_GUILESS_MAIN(TestCp1252)
#include "tst_cp1252.moc"
