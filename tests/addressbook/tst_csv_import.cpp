#include "addressbook/csv_import.h"

#include <QtTest>

using namespace zemble;
using namespace Qt::StringLiterals;

// A file in ASCII is read record by record from its bytes; every other file is made text
// first.  Both readers must cut the same records.
class TestCsvImport : public QObject {
    Q_OBJECT

private slots:
    void bothReadersCutTheSameRecords_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("records");
        QTest::newRow("CR LF line ends, a line break inside quotes")
            << "h\r\n\"a\r\nb\",c\r\nd\r\n"_ba << QStringList{"h", "\"a\r\nb\",c", "d"};
        QTest::newRow("lone CR line ends") << "h\ra\rb"_ba << QStringList{"h", "a", "b"};
        QTest::newRow("LF line ends, from the first line")
            << "h\na\n\"b\nc\"\n"_ba << QStringList{"h", "a", "\"b\nc\""};
        QTest::newRow("lone LF in a CR LF file stays in its line")
            << "h\r\na\nb\r\nc"_ba << QStringList{"h", "a\nb", "c"};
        QTest::newRow("empty lines are records") << "h\r\n\r\nb"_ba << QStringList{"h", "", "b"};
        QTest::newRow("no line end at all") << "h,a"_ba << QStringList{"h,a"};
    }
    void bothReadersCutTheSameRecords() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, records);
        QVERIFY(isAsciiText(file));
        AsciiCsvRecords fromBytes(file);
        QStringList readFromBytes;
        while (!fromBytes.atEnd())
            readFromBytes.append(fromBytes.next());
        const QString text = importFileText(file);
        CsvRecords fromText(text);
        QStringList readFromText;
        while (!fromText.atEnd())
            readFromText.append(fromText.next().toString());
        QCOMPARE(readFromBytes, records);
        QCOMPARE(readFromText, records);
    }

    void onlyBytesBelow0x80AreAscii_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("ascii");
        QTest::newRow("plain text") << "Smith,John\r\n"_ba << true;
        QTest::newRow("Windows code page pound sign") << "\xA3"
                                                         "5"_ba
                                                      << false;
        QTest::newRow("UTF-8 e acute at the end") << "caf\xC3\xA9"_ba << false;
        QTest::newRow("UTF-8 byte order mark") << "\xEF\xBB\xBFh"_ba << false;
    }
    void onlyBytesBelow0x80AreAscii() {
        QFETCH(QByteArray, file);
        QFETCH(bool, ascii);
        QCOMPARE(isAsciiText(file), ascii);
    }
};

QTEST_MAIN(TestCsvImport)
#include "tst_csv_import.moc"
