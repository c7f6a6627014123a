#include "core/message_parts.h"

#include <QTest>

using namespace zemble;

class TestMessageParts : public QObject {
    Q_OBJECT
private slots:
    // A row is "length method dots parts": a message of `length` characters sent by `method`
    // with a continuation of `dots` dots.  A continuation as long as a part counts as none.
    void count_data() {
        QTest::addColumn<QString>("row");
        for (const char* row :
             {"0 0 0 0", "115 0 0 1", "230 0 0 2", "231 0 0 3", "145 1 3 1", "288 1 3 3",
              "146 7 0 2", "32767 0 0 285", "300 0 115 3", "3 0 114 1"})
            QTest::newRow(row) << QString(row);
    }
    void count() {
        QFETCH(QString, row);
        const QStringList c = row.split(u' ');
        const QString message(c[0].toInt(), u'x'), clip(c[2].toInt(), u'.');
        const qint16 partLength = partLengthFor(c[1].toInt());
        QCOMPARE(count_parts(message, partLength, clip), c[3].toInt());
        const QStringList cut = cutParts(message, partLength, clip);
        QCOMPARE(cut.size(), c[3].toInt());
        for (const QString& part : cut)
            QVERIFY(part.size() <= partLength);
    }

    void cut_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QStringList>("parts");
        const QString a142(142, u'a'), b145(145, u'b'), a115(115, u'a'), a113(113, u'a');
        QTest::newRow("paid 146") << a142 + "wxyz" << 1 << "..."
                                  << QStringList{a142 + "...", "wxyz"};
        QTest::newRow("paid 287") << a142 + b145 << 1 << "..." << QStringList{a142 + "...", b145};
        QTest::newRow("free 116") << a115 + "Z" << 0 << "" << QStringList{a115, "Z"};
        QTest::newRow("short message, clip never added") << "Hi" << 0 << "..." << QStringList{"Hi"};
        QTest::newRow("line break counts two")
            << a113 + "\r\nb" << 0 << "" << QStringList{a113 + "\r\n", "b"};
    }
    void cut() {
        QFETCH(QString, message);
        QFETCH(int, method);
        QFETCH(QString, clip);
        QFETCH(QStringList, parts);
        QCOMPARE(cutParts(message, partLengthFor(method), clip), parts);
        QCOMPARE(count_parts(message, partLengthFor(method), clip), int(parts.size()));
    }
};

QTEST_GUILESS_MAIN(TestMessageParts)
#include "tst_message_parts.moc"
