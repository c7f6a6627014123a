#include "core/cp1252.h"

#include <QTest>

using namespace zemble;

class TestCp1252 : public QObject {
    Q_OBJECT
private slots:
    // The characters map to their code page bytes (an unassigned byte to its C1 control), and
    // what the code page lacks becomes one "?" a character (beyond the basic plane too).
    void bothWays() {
        QCOMPARE(toCp1252(QString::fromUtf8("A\u00a3\u20ac\u0178\u00e9\u0081\u0416b\U0001F600")),
                 QByteArray("A\xa3\x80\x9f\xe9\x81?b?"));
        QCOMPARE(fromCp1252("\x80\x81\x9f"), QString::fromUtf8("\u20ac\u0081\u0178"));
        QCOMPARE(cp1252Fold(QString::fromUtf8("\u0416\u00a3")), QString::fromUtf8("?\u00a3"));
    }
};

QTEST_GUILESS_MAIN(TestCp1252)
#include "tst_cp1252.moc"
