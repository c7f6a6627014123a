#include "core/line_reader.h"

#include "core/cp1252.h"

#include <QtTest>

using namespace zemble;

class TestLineReader : public QObject {
    Q_OBJECT
private slots:
    // The lines a text reads as with CR LF or a lone CR as line ends, and with a lone LF too.
    // A row is "text#lines by CR LF or CR#lines by any end", each line followed by '|'.
    void lines_data() {
        QTest::addColumn<QByteArray>("row");
        const QByteArray block(64 * 1024 - 1, 'a'), longLine(200000, 'z');
        for (const QByteArray& row : QByteArrayList{
                 "##", "a,b\r\nc\r\n#a,b|c|#a,b|c|", "a\rb#a|b|#a|b|", "a\nb\r\nc#a\nb|c|#a|b|c|",
                 "a\r\r\nb#a||b|#a||b|", "a\n\rb\n#a\n|b\n|#a||b|",
                 block + "\r\nb#" + block + "|b|#" + block + "|b|",
                 longLine + '#' + longLine + "|#" + longLine + '|'})
            QTest::newRow(row.left(12).toPercentEncoding().constData()) << row;
    }
    void lines() {
        QFETCH(QByteArray, row);
        QByteArray bytes = row.split('#')[0];
        for (const LineEnds ends : {LineEnds::CrLfOrCr, LineEnds::CrLfCrOrLf}) {
            QBuffer buffer(&bytes);
            QVERIFY(buffer.open(QIODevice::ReadOnly));
            LineReader reader(buffer, ends);
            QByteArray read;
            while (!reader.atEnd())
                read += reader.readLine() + '|';
            const QByteArray expected = row.split('#')[ends == LineEnds::CrLfOrCr ? 1 : 2];
            QCOMPARE(read, expected);
            // The same lines decoded as they are read.
            QVERIFY(buffer.seek(0));
            LineReader decoding(buffer, ends);
            QString text;
            while (!decoding.atEnd())
                text += decoding.readCp1252Line() + u'|';
            QCOMPARE(text, fromCp1252(expected));
        }
    }
};

QTEST_GUILESS_MAIN(TestLineReader)
#include "tst_line_reader.moc"
