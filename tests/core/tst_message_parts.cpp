#include "core/message_parts.h"

#include <QTest>

using namespace zemble;
using namespace Qt::StringLiterals;

namespace {

// The send methods by their place in the list: free texts first.
enum class Method { Free = 0, Paid = 1, PastTheList = 7 };

} // namespace

Q_DECLARE_METATYPE(Method)

class TestMessageParts : public QObject {
    Q_OBJECT
private slots:
    // How many parts a message of so many characters makes by each send method, with a
    // continuation of so many dots.  A continuation as long as a part counts as none.
    void count_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<Method>("method");
        QTest::addColumn<int>("dots");
        QTest::addColumn<int>("parts");
        QTest::newRow("empty message") << 0 << Method::Free << 0 << 0;
        QTest::newRow("one full free part") << 115 << Method::Free << 0 << 1;
        QTest::newRow("one past two free parts") << 231 << Method::Free << 0 << 3;
        QTest::newRow("one full paid part, no continuation needed")
            << 145 << Method::Paid << 3 << 1;
        QTest::newRow("paid parts shortened by the continuation") << 288 << Method::Paid << 3 << 3;
        QTest::newRow("a method past the list is paid") << 146 << Method::PastTheList << 0 << 2;
        QTest::newRow("the longest message") << 32767 << Method::Free << 0 << 285;
        QTest::newRow("continuation as long as a part") << 300 << Method::Free << 115 << 3;
        QTest::newRow("continuation one short of a part, short message")
            << 3 << Method::Free << 114 << 1;
    }
    void count() {
        QFETCH(int, length);
        QFETCH(Method, method);
        QFETCH(int, dots);
        QFETCH(int, parts);
        const QString message(length, u'x'), clip(dots, u'.');
        const qint16 partLength = partLengthFor(int(method));
        QCOMPARE(count_parts(message, partLength, clip), parts);
        const QStringList cut = cutParts(message, partLength, clip);
        QCOMPARE(cut.size(), parts);
        for (const QString& part : cut)
            QVERIFY(part.size() <= partLength);
    }

    void cut_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<Method>("method");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QStringList>("parts");
        const QString a142(142, u'a'), b145(145, u'b'), a115(115, u'a'), a113(113, u'a');
        QTest::newRow("paid, four past the first part")
            << a142 + "wxyz" << Method::Paid << u"..."_s << QStringList{a142 + "...", "wxyz"};
        QTest::newRow("paid, a full last part")
            << a142 + b145 << Method::Paid << u"..."_s << QStringList{a142 + "...", b145};
        QTest::newRow("free, one past a part, no continuation")
            << a115 + "Z" << Method::Free << u""_s << QStringList{a115, "Z"};
        QTest::newRow("short message, clip never added")
            << u"Hi"_s << Method::Free << u"..."_s << QStringList{"Hi"};
        QTest::newRow("line break counts two")
            << a113 + "\r\nb" << Method::Free << u""_s << QStringList{a113 + "\r\n", "b"};
    }
    void cut() {
        QFETCH(QString, message);
        QFETCH(Method, method);
        QFETCH(QString, clip);
        QFETCH(QStringList, parts);
        QCOMPARE(cutParts(message, partLengthFor(int(method)), clip), parts);
        QCOMPARE(count_parts(message, partLengthFor(int(method)), clip), int(parts.size()));
    }
};

QTEST_GUILESS_MAIN(TestMessageParts)
#include "tst_message_parts.moc"
