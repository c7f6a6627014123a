#include "core/line_reader.h"

#include <QBuffer>
#include <QTest>

using namespace zemble;

class TestLineReader : public QObject {
    Q_OBJECT
private slots:
    // The lines a text reads as with CR LF or a lone CR as line ends, and with a lone LF too.
    void lines_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArrayList>("crOrCrLf");
        QTest::addColumn<QByteArrayList>("anyEnd");
        const QByteArray block(64 * 1024 - 1, 'a');
        QTest::newRow("empty") << QByteArray() << QByteArrayList{} << QByteArrayList{};
        QTest::newRow("CR LF") << QByteArray("a,b\r\nc\r\n") << QByteArrayList{"a,b", "c"}
                               << QByteArrayList{"a,b", "c"};
        QTest::newRow("lone CR, no end")
            << QByteArray("a\rb") << QByteArrayList{"a", "b"} << QByteArrayList{"a", "b"};
        QTest::newRow("lone LF") << QByteArray("a\nb\r\nc") << QByteArrayList{"a\nb", "c"}
                                 << QByteArrayList{"a", "b", "c"};
        QTest::newRow("CR, CR LF") << QByteArray("a\r\r\nb") << QByteArrayList{"a", "", "b"}
                                   << QByteArrayList{"a", "", "b"};
        QTest::newRow("LF, CR") << QByteArray("a\n\rb\n") << QByteArrayList{"a\n", "b\n"}
                                << QByteArrayList{"a", "", "b"};
        QTest::newRow("CR LF across blocks")
            << block + "\r\nb" << QByteArrayList{block, "b"} << QByteArrayList{block, "b"};
        const QByteArray longLine(200000, 'z');
        QTest::newRow("line over a block")
            << longLine << QByteArrayList{longLine} << QByteArrayList{longLine};
    }
    void lines() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArrayList, crOrCrLf);
        QFETCH(QByteArrayList, anyEnd);
        for (const LineEnds ends : {LineEnds::CrLfOrCr, LineEnds::CrLfCrOrLf}) {
            QBuffer buffer(&bytes);
            QVERIFY(buffer.open(QIODevice::ReadOnly));
            LineReader reader(buffer, ends);
            QByteArrayList read;
            while (!reader.atEnd())
                read << reader.readLine();
            QCOMPARE(read, ends == LineEnds::CrLfOrCr ? crOrCrLf : anyEnd);
        }
    }
};

QTEST_GUILESS_MAIN(TestLineReader)
#include "tst_line_reader.moc"
