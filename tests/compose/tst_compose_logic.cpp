#include "compose/compose_logic.h"
#include "core/settings.h"

#include <QTest>

using namespace zemble;

class TestComposeLogic : public QObject {
    Q_OBJECT
private slots:
    void cleanUp_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("cleaned");
        QTest::newRow("two lines") << "hello\r\nworld"
                                   << "hello world";
        QTest::newRow("bare line feed") << "a\nb"
                                        << "a b";
        QTest::newRow("tab dropped") << "a\tb"
                                     << "ab";
        QTest::newRow("brackets and tilde") << "[x]~\\^_`"
                                            << "x";
        QTest::newRow("braces bar pound") << "{a|b} \u00a3"
                                          << "{a|b} \u00a3";
        QTest::newRow("accents dropped") << "caf\u00e9 \u20ac5"
                                         << "caf 5";
        QTest::newRow("delete code") << "a\u007fb"
                                     << "ab";
        QTest::newRow("question mark kept") << "why?"
                                            << "why?";
        QTest::newRow("outside the code page") << "ok \u4e2d\U0001F600!"
                                               << "ok !";
        QTest::newRow("printable ends") << " Zaz}"
                                        << " Zaz}";
        QTest::newRow("empty") << ""
                               << "";
    }
    void cleanUp() {
        QFETCH(QString, typed);
        QFETCH(QString, cleaned);
        QCOMPARE(clean_message_text(typed), cleaned);
    }
};

QTEST_APPLESS_MAIN(TestComposeLogic)
#include "tst_compose_logic.moc"
