#include "core/phone.h"

#include <QTest>

using zemble::normalise_number;

class TestPhone : public QObject {
    Q_OBJECT
private slots:
    // A row is "typed|normal form", empty when it is not a UK number.
    void normalise_data() {
        QTest::addColumn<QString>("row");
        for (const QString row :
             QString::fromUtf8("07 1|071#+44 7 1|071#+44 (0)7|007#+33 6 12 34|#+4|#+44|0#00 4|004#"
                               "abc|#07+1|071#07\r\n1|071#07\u0661|07")
                 .split(u'#'))
            QTest::newRow(qPrintable(row)) << row;
    }
    void normalise() {
        QFETCH(QString, row);
        QCOMPARE(normalise_number(row.section(u'|', 0, 0)), row.section(u'|', 1));
    }
};

QTEST_GUILESS_MAIN(TestPhone)
#include "tst_phone.moc"
