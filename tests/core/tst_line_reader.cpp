#include "core/line_reader.h"

#include "core/cp1252.h"

#include <QtTest>

using namespace zemble;

class TestLineReader : public QObject {
    Q_OBJECT
private slots:
    // The lines a text reads as with CR LF or a lone CR as line ends, and with a lone LF too.
    void lines_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArrayList>("byCrLfOrCr");
        QTest::addColumn<QByteArrayList>("byAnyEnd");
        const QByteArray block(64 * 1024 - 1, 'a'), longLine(200000, 'z');
        QTest::newRow("no text") << QByteArray() << QByteArrayList() << QByteArrayList();
        QTest::newRow("CR LF after each line")
            << QByteArray("a,b\r\nc\r\n") << QByteArrayList{"a,b", "c"}
            << QByteArrayList{"a,b", "c"};
        QTest::newRow("a lone CR")
            << QByteArray("a\rb") << QByteArrayList{"a", "b"} << QByteArrayList{"a", "b"};
        QTest::newRow("a lone LF") << QByteArray("a\nb\r\nc") << QByteArrayList{"a\nb", "c"}
                                   << QByteArrayList{"a", "b", "c"};
        QTest::newRow("CR then CR LF leaves an empty line")
            << QByteArray("a\r\r\nb") << QByteArrayList{"a", "", "b"}
            << QByteArrayList{"a", "", "b"};
        QTest::newRow("LF then CR") << QByteArray("a\n\rb\n") << QByteArrayList{"a\n", "b\n"}
                                    << QByteArrayList{"a", "", "b"};
        QTest::newRow("CR LF split across the reader's blocks")
            << block + "\r\nb" << QByteArrayList{block, "b"} << QByteArrayList{block, "b"};
        QTest::newRow("one long line without an end")
            << longLine << QByteArrayList{longLine} << QByteArrayList{longLine};
    }
    void lines() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArrayList, byCrLfOrCr);
        QFETCH(QByteArrayList, byAnyEnd);
        for (const LineEnds ends : {LineEnds::CrLfOrCr, LineEnds::CrLfCrOrLf}) {
            const QByteArrayList& expected = ends == LineEnds::CrLfOrCr ? byCrLfOrCr : byAnyEnd;
            QBuffer buffer(&text);
            QVERIFY(buffer.open(QIODevice::ReadOnly));
            LineReader reader(buffer, ends);
            QByteArrayList read;
            while (!reader.atEnd())
                read.append(reader.readLine());
            QCOMPARE(read, expected);
            // The same lines decoded as they are read.
            QVERIFY(buffer.seek(0));
            LineReader decoding(buffer, ends);
            QStringList decoded, expectedText;
            while (!decoding.atEnd())
                decoded.append(decoding.readCp1252Line());
            for (const QByteArray& line : expected)
                expectedText.append(fromCp1252(line));
            QCOMPARE(decoded, expectedText);
        }
    }
};

QTEST_GUILESS_MAIN(TestLineReader)
#include "tst_line_reader.moc"
