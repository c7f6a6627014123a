#include "core/message_parts.h"

#include <QTest>

using namespace zemble;

class TestMessageParts : public QObject {
    Q_OBJECT
private slots:
    void count_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<int>("parts");
        QTest::newRow("empty") << 0 << 0 << "" << 0;
        QTest::newRow("free 115") << 115 << 0 << "" << 1;
        QTest::newRow("free 116") << 116 << 0 << "" << 2;
        QTest::newRow("free 230") << 230 << 0 << "" << 2;
        QTest::newRow("free 231") << 231 << 0 << "" << 3;
        QTest::newRow("paid 145 clip") << 145 << 1 << "..." << 1;
        QTest::newRow("paid 146 clip") << 146 << 1 << "..." << 2;
        QTest::newRow("paid 287 clip") << 287 << 1 << "..." << 2;
        QTest::newRow("paid 288 clip") << 288 << 1 << "..." << 3;
        QTest::newRow("any other index is paid") << 146 << 7 << "" << 2;
        QTest::newRow("longest message") << 32767 << 0 << "" << 285;
        // A continuation as long as a part could never move on: counts as none.
        QTest::newRow("clip of part length") << 300 << 0 << QString(115, u'.') << 3;
        QTest::newRow("clip one short of part") << 3 << 0 << QString(114, u'.') << 1;
    }
    void count() {
        QFETCH(int, length);
        QFETCH(int, method);
        QFETCH(QString, clip);
        QFETCH(int, parts);
        const QString message(length, u'x');
        const qint16 partLength = partLengthFor(method);
        QCOMPARE(count_parts(message, partLength, clip), parts);
        const QStringList cut = cutParts(message, partLength, clip);
        QCOMPARE(cut.size(), parts);
        for (const QString& part : cut)
            QVERIFY(part.size() <= partLength);
    }

    void cut_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QStringList>("parts");
        const QString a142(142, u'a'), b145(145, u'b');
        QTest::newRow("paid 146 clip")
            << a142 + "wxyz" << 1 << "..." << QStringList{a142 + "...", "wxyz"};
        QTest::newRow("paid 287 clip")
            << a142 + b145 << 1 << "..." << QStringList{a142 + "...", b145};
        QTest::newRow("free 116") << QString(115, u'a') + "Z" << 0 << ""
                                  << QStringList{QString(115, u'a'), "Z"};
        QTest::newRow("short message, clip never added") << "Hi" << 0 << "..." << QStringList{"Hi"};
        QTest::newRow("line break counts two") << QString(113, u'a') + "\r\nb" << 0 << ""
                                               << QStringList{QString(113, u'a') + "\r\n", "b"};
    }
    void cut() {
        QFETCH(QString, message);
        QFETCH(int, method);
        QFETCH(QString, clip);
        QFETCH(QStringList, parts);
        QCOMPARE(cutParts(message, partLengthFor(method), clip), parts);
    }

    void plural() {
        QCOMPARE(plural_s(0), QStringLiteral("s"));
        QCOMPARE(plural_s(1), QString());
        QCOMPARE(plural_s(2), QStringLiteral("s"));
    }
};

QTEST_GUILESS_MAIN(TestMessageParts)
#include "tst_message_parts.moc"
