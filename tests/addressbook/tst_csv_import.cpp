#include "addressbook/csv_import.h"

#include <QBuffer>
#include <QTest>

using namespace zemble;

namespace {

QStringList used_fields(const CsvFields& fields, int upTo) {
    QStringList out;
    for (int i = 0; i < upTo; ++i)
        out.append(fields[i]);
    return out;
}

} // namespace

class TestCsvImport : public QObject {
    Q_OBJECT
private slots:
    void splitsFields_data();
    void splitsFields();
    void cleansFields_data();
    void cleansFields();
    void longLinesKeepTheFirstHundredAndOneFields();
    void splitStopsBetweenCharacters();
    void readsLines_data();
    void readsLines();
    void namesFollowTheRule_data();
    void namesFollowTheRule();
};

void TestCsvImport::splitsFields_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("plain") << "a,b,c" << QStringList{"a", "b", "c"};
    QTest::newRow("quoted comma") << "\"Smith, John\",x" << QStringList{"Smith, John", "x"};
    QTest::newRow("doubled quotes") << "\"say \"\"hi\"\"\",x" << QStringList{"say \"hi\"", "x"};
    QTest::newRow("two quotes make an empty field") << "\"\",x" << QStringList{"", "x"};
    QTest::newRow("quote inside an unquoted field")
        << "ab\"c,d\"e,f" << QStringList{"ab\"c,d\"e", "f"};
    QTest::newRow("spaces stay") << " a , b " << QStringList{" a ", " b "};
    QTest::newRow("quoted field with spaces outside keeps its quotes")
        << " \"a\" ,b" << QStringList{" \"a\" ", "b"};
    QTest::newRow("last field as accumulated") << "x,\"y\"\"\"" << QStringList{"x", "\"y\"\"\""};
    QTest::newRow("empty fields") << ",,z" << QStringList{"", "", "z"};
    QTest::newRow("empty line") << "" << QStringList{""};
    QTest::newRow("unclosed quote swallows the rest") << "a,\"b,c,d" << QStringList{"a", "\"b,c,d"};
}

void TestCsvImport::splitsFields() {
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    CsvFields out;
    out[7] = QStringLiteral("left over from an earlier line");
    QVERIFY(split_csv_line(line, out));
    QCOMPARE(used_fields(out, int(fields.size())), fields);
    for (int i = int(fields.size()); i < kCsvFieldCount; ++i)
        QVERIFY2(out[i].isEmpty(), qPrintable(QString::number(i)));
}

void TestCsvImport::cleansFields_data() {
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("clean");
    QTest::newRow("enclosed") << "\"Smith, John\""
                              << "Smith, John";
    QTest::newRow("doubled inside enclosed") << "\"a\"\"b\""
                                             << "a\"b";
    QTest::newRow("two quotes") << "\"\""
                                << "";
    QTest::newRow("one quote") << "\""
                               << "\"";
    QTest::newRow("three quotes") << "\"\"\""
                                  << "\"";
    QTest::newRow("four quotes") << "\"\"\"\""
                                 << "\"";
    QTest::newRow("doubled without enclosing") << "a\"\"b"
                                               << "a\"b";
    QTest::newRow("quote at one end only") << "\"abc"
                                           << "\"abc";
    QTest::newRow("plain") << "abc"
                           << "abc";
}

void TestCsvImport::cleansFields() {
    QFETCH(QString, raw);
    QFETCH(QString, clean);
    QCOMPARE(clean_csv_field(raw), clean);
}

void TestCsvImport::longLinesKeepTheFirstHundredAndOneFields() {
    QStringList pieces;
    for (int i = 0; i < 250; ++i)
        pieces.append(QStringLiteral("f%1").arg(i));
    CsvFields out;
    QVERIFY(split_csv_line(pieces.join(u','), out));
    QCOMPARE(out[0], QStringLiteral("f0"));
    QCOMPARE(out[kCsvMobile], QStringLiteral("f40"));
    QCOMPARE(out[100], QStringLiteral("f100"));
    // Exactly 101 fields: the last one is the text after the last comma.
    pieces = pieces.mid(0, 101);
    QVERIFY(split_csv_line(pieces.join(u','), out));
    QCOMPARE(out[100], QStringLiteral("f100"));
}

void TestCsvImport::splitStopsBetweenCharacters() {
    const QString line = QStringLiteral("Smith,John,x,y");
    int calls = 0;
    CsvFields out;
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
    QTest::newRow("no line end") << QByteArray("abc") << QStringList{"abc"};
    QTest::newRow("empty lines") << QByteArray("\r\n\r\nx") << QStringList{"", "", "x"};
    QTest::newRow("CR then CR LF") << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"};
    QTest::newRow("Windows-1252") << QByteArray("\x80 caf\xe9\r\n")
                                  << QStringList{QStringLiteral("\u20ac caf\u00e9")};
    const QByteArray longLine(64 * 1024 - 1, 'a');
    QTest::newRow("CR LF split over blocks")
        << longLine + "\r\nb" << QStringList{QString::fromLatin1(longLine), "b"};
    QTest::newRow("line longer than a block")
        << QByteArray(200000, 'z') + "\r" << QStringList{QString(200000, u'z')};
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

void TestCsvImport::namesFollowTheRule_data() {
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("name");
    QTest::newRow("both") << "Smith"
                          << "John"
                          << "Smith, John";
    QTest::newRow("last only") << "Smith"
                               << ""
                               << "Smith";
    QTest::newRow("first only") << ""
                                << "John"
                                << ", John";
    QTest::newRow("neither") << ""
                             << ""
                             << "";
}

void TestCsvImport::namesFollowTheRule() {
    QFETCH(QString, last);
    QFETCH(QString, first);
    QFETCH(QString, name);
    QCOMPARE(import_contact_name(last, first), name);
}

QTEST_GUILESS_MAIN(TestCsvImport)
#include "tst_csv_import.moc"
