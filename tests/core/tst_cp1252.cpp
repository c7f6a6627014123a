#include "core/cp1252.h"

#include <QTest>

using namespace zemble;

class TestCp1252 : public QObject {
    Q_OBJECT
private slots:
    // Every byte comes back; the characters map to their code page bytes, and what the code
    // page lacks becomes one "?" a character (a character beyond the basic plane too).
    void bothWays() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(toCp1252(fromCp1252(all)), all);
        QCOMPARE(toCp1252(QString::fromUtf8("A\u00a3\u20ac\u0178\u00e9\u0416b\U0001F600")),
                 QByteArray("A\xa3\x80\x9f\xe9?b?"));
        QCOMPARE(cp1252Code(QChar(0x20ac)), 0x80);
        QCOMPARE(cp1252Fold(QString::fromUtf8("\u0416\u00a3")), QString::fromUtf8("?\u00a3"));
    }
};

QTEST_GUILESS_MAIN(TestCp1252)
#include "tst_cp1252.moc"
