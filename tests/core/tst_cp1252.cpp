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
        QTest::newRow("y diaeresis") << QString::fromUtf8("\u0178") << 0x9F;
        QTest::newRow("e acute") << QString::fromUtf8("\u00e9") << 0xE9;
        QTest::newRow("Cyrillic lacks a code") << QString::fromUtf8("\u0416") << 63;
    }
    void code() {
        QFETCH(QString, ch);
        QFETCH(int, code);
        QCOMPARE(cp1252_code(ch.at(0)), code);
    }

    // Every byte comes back; what the code page lacks becomes one "?" a character (a
    // character beyond the basic plane too).
    void bothWays() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(to_cp1252(from_cp1252(all)), all);
        QCOMPARE(to_cp1252(QString::fromUtf8("a\u0416b\U0001F600")), QByteArray("a?b?"));
        QCOMPARE(cp1252_fold(QString::fromUtf8("\u0416\u00a3")), QString::fromUtf8("?\u00a3"));
    }
};

QTEST_GUILESS_MAIN(TestCp1252)
#include "tst_cp1252.moc"
