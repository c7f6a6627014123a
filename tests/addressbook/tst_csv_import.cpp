#include "addressbook/csv_import.h"

#include <QBuffer>
#include <QTest>

using namespace zemble;

class TestCsvImport : public QObject {
    Q_OBJECT
private slots:
    void splitsFields_data();
    void splitsFields();
    void cleansFields_data();
    void cleansFields();
    void longLinesAndStops();
    void readsLines_data();
    void readsLines();
};

void TestCsvImport::splitsFields_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("plain") << "a,b,c" << QStringList{"a", "b", "c"};
    QTest::newRow("quoted comma") << "\"Smith, John\",x" << QStringList{"Smith, John", "x"};
    QTest::newRow("doubled quotes") << "\"say \"\"hi\"\"\",x" << QStringList{"say \"hi\"", "x"};
    QTest::newRow("two quotes") << "\"\",x" << QStringList{"", "x"};
    QTest::newRow("quote inside") << "ab\"c,d\"e,f" << QStringList{"ab\"c,d\"e", "f"};
    QTest::newRow("spaces stay") << " \"a\" , b" << QStringList{" \"a\" ", " b"};
    QTest::newRow("last field as read") << "x,\"y\"\"\"" << QStringList{"x", "\"y\"\"\""};
    QTest::newRow("unclosed quote") << "a,\"b,c" << QStringList{"a", "\"b,c"};
    QTest::newRow("empty") << "" << QStringList{};
}

void TestCsvImport::splitsFields() {
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    CsvFields out;
    out[7] = QStringLiteral("left over from an earlier line");
    QVERIFY(split_csv_line(line, out));
    for (int i = 0; i < kCsvFieldCount; ++i)
        QCOMPARE(out[i], fields.value(i));
}

void TestCsvImport::cleansFields_data() {
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("clean");
    QTest::newRow("enclosed") << "\"Smith, John\""
                              << "Smith, John";
    QTest::newRow("one quote") << "\""
                               << "\"";
    QTest::newRow("three quotes") << "\"\"\""
                                  << "\"";
    QTest::newRow("doubled, not enclosed") << "a\"\"b"
                                           << "a\"b";
    QTest::newRow("quote at one end") << "\"abc"
                                      << "\"abc";
}

void TestCsvImport::cleansFields() {
    QFETCH(QString, raw);
    QFETCH(QString, clean);
    QCOMPARE(clean_csv_field(raw), clean);
}

void TestCsvImport::longLinesAndStops() {
    QStringList pieces;
    for (int i = 0; i < 250; ++i)
        pieces.append(QStringLiteral("f%1").arg(i));
    CsvFields out;
    QVERIFY(split_csv_line(pieces.join(u','), out));
    QCOMPARE(out[kCsvMobile], QStringLiteral("f40"));
    QCOMPARE(out[100], QStringLiteral("f100"));

    // The stop check runs before every character and ends the split at once.
    const QString line = QStringLiteral("Smith,John");
    int calls = 0;
    QVERIFY(split_csv_line(line, out, [&] { return ++calls > 100; }));
    QCOMPARE(calls, int(line.size()));
    calls = 0;
    QVERIFY(!split_csv_line(line, out, [&] { return ++calls > 3; }));
    QCOMPARE(calls, 4);
}

void TestCsvImport::readsLines_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("lone CR") << QByteArray("a\rb") << QStringList{"a", "b"};
    QTest::newRow("lone LF stays") << QByteArray("a\nb\r\nc") << QStringList{"a\nb", "c"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("empty lines") << QByteArray("\r\n\r\nx") << QStringList{"", "", "x"};
    QTest::newRow("CR, CR LF") << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"};
    QTest::newRow("Windows-1252") << QByteArray("\x80 caf\xe9") << QStringList{"\u20ac caf\u00e9"};
    const QByteArray block(64 * 1024 - 1, 'a');
    QTest::newRow("CR LF across blocks")
        << block + "\r\nb" << QStringList{QString::fromLatin1(block), "b"};
    QTest::newRow("line over a block")
        << QByteArray(200000, 'z') << QStringList{QString(200000, u'z')};
}

void TestCsvImport::readsLines() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    CsvLineReader reader(buffer);
    QStringList read;
    while (!reader.atEnd())
        read.append(reader.readLine());
    QCOMPARE(read, lines);
}

QTEST_GUILESS_MAIN(TestCsvImport)
#include "tst_csv_import.moc"
