#include "core/sms_segments.h"

#include <QTest>

using namespace zemble;

Q_DECLARE_METATYPE(SmsCoding)

namespace {

QString times(int count, QChar c) {
    return QString(count, c);
}

} // namespace

class TestSmsSegments : public QObject {
    Q_OBJECT
private slots:
    // The texts a gateway sends for a message, at the edges of one text and of joined parts.
    void countedAsTheGatewaySends_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<SmsCoding>("coding");
        QTest::addColumn<int>("units");
        QTest::addColumn<int>("parts");
        const auto row = [](const char* name, const QString& message, SmsCoding coding, int units,
                            int parts) {
            QTest::newRow(name) << message << coding << units << parts;
        };
        const QChar euro(0x20AC), omega(0x3C9); // the euro sign, a Greek small omega
        row("empty message", QString(), SmsCoding::Gsm7, 0, 0);
        row("160 letters fill one text", times(160, u'a'), SmsCoding::Gsm7, 160, 1);
        row("161 letters make two", times(161, u'a'), SmsCoding::Gsm7, 161, 2);
        row("306 letters fill two parts", times(306, u'a'), SmsCoding::Gsm7, 306, 2);
        row("307 letters make three", times(307, u'a'), SmsCoding::Gsm7, 307, 3);
        row("pound, accents and line breaks are one septet each",
            times(156, u'a') + QString::fromUtf8("£é\r\n"), SmsCoding::Gsm7, 160, 1);
        row("euro at the end of 158 letters fills one text", times(158, u'a') + euro,
            SmsCoding::Gsm7, 160, 1);
        row("euro at the end of 159 letters makes two", times(159, u'a') + euro, SmsCoding::Gsm7,
            161, 2);
        row("each extension character counts two", QStringLiteral("^{}\\[]~|") + times(145, u'a'),
            SmsCoding::Gsm7, 161, 2);
        row("euro across a part's edge moves whole to the next part",
            times(152, u'a') + euro + times(152, u'a'), SmsCoding::Gsm7, 306, 3);
        row("70 characters outside the alphabet fill one text", times(70, omega), SmsCoding::Ucs2,
            70, 1);
        row("71 make two", times(71, omega), SmsCoding::Ucs2, 71, 2);
        row("134 fill two parts", times(134, omega), SmsCoding::Ucs2, 134, 2);
        row("135 make three", times(135, omega), SmsCoding::Ucs2, 135, 3);
        row("one character outside the alphabet makes the whole text UCS-2",
            times(70, u'a') + omega, SmsCoding::Ucs2, 71, 2);
        row("a character beyond 16 bits takes two units", times(68, u'a') + QString::fromUtf8("😀"),
            SmsCoding::Ucs2, 70, 1);
        row("a character beyond 16 bits is not split between parts",
            times(66, u'a') + QString::fromUtf8("😀") + times(66, u'a'), SmsCoding::Ucs2, 134, 3);
    }
    void countedAsTheGatewaySends() {
        QFETCH(QString, message);
        QFETCH(SmsCoding, coding);
        QFETCH(int, units);
        QFETCH(int, parts);
        const SmsSegments counted = countSmsSegments(message);
        QCOMPARE(counted.coding, coding);
        QCOMPARE(counted.units, units);
        QCOMPARE(counted.parts, parts);
    }
};

QTEST_GUILESS_MAIN(TestSmsSegments)
#include "tst_sms_segments.moc"
