#include "core/settings.h"
#include "support/files.h"
#include "support/temp_settings.h"

#include <QtTest>

using namespace zemble;
using namespace Qt::StringLiterals;

namespace {

// The send methods by their place in the list.
enum class SendMethod { Free = 0, Paid = 1 };

} // namespace

Q_DECLARE_METATYPE(SendMethod)

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    // Reading never creates the file, which is its owner's alone; the password is kept in it
    // scrambled, for the next run.  The About and start-up tests pin the exact "yes".
    void storeSwitchesAndPassword() {
        test::TempSettings store;
        QCOMPARE(get_setting("quotaleft", -1), QStringLiteral("-1"));
        QVERIFY(!settingIsYes("hidesplashscreen") && !QFile::exists(store.path()));
        save_setting("textclipchar", "...");
        delete_setting("textclipchar");
        delete_setting("textclipchar"); // already absent: ignored
        QCOMPARE(get_setting("textclipchar", "none"), QStringLiteral("none"));
        QCOMPARE(test::modeOf(store.path()), 0600);
        const QString password = QStringLiteral(" ~pass word}");
        save_setting("wisppassword", scramble_password(password));
        QSettings raw(store.path(), QSettings::IniFormat);
        QCOMPARE(raw.value("settings/wisppassword").toString(), QStringLiteral("\" uctx\"xtte#"));
        QCOMPARE(unscramble_password(get_setting("wisppassword", "")), password);
    }

    // A password as typed and as stored (round trips are fuzzed).  Outside 32..126 a character
    // is kept, and the shift still advances.
    void scramble_data() {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("stored");
        QTest::newRow("empty") << u""_s << u""_s;
        QTest::newRow("each letter shifted one further") << u"aaaa"_s << u"cbfc"_s;
        QTest::newRow("the shift wraps round inside 32..126") << u"~~~"_s << u"! $"_s;
        QTest::newRow("characters outside 32..126 kept")
            << QString::fromUtf8("a\u00a3b\tc\u20acd") << QString::fromUtf8("c\u00a3g\td\u20acf");
    }
    void scramble() {
        QFETCH(QString, plain);
        QFETCH(QString, stored);
        QCOMPARE(scramble_password(plain), stored);
        QCOMPARE(unscramble_password(stored), plain);
    }

    // A stored number's value, and the send method it selects (beyond the list: paid).
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<SendMethod>("method");
        QTest::newRow("nothing") << u""_s << 0 << SendMethod::Free;
        QTest::newRow("negative") << u"-1"_s << -1 << SendMethod::Free;
        QTest::newRow("one") << u"1"_s << 1 << SendMethod::Paid;
        QTest::newRow("words after the number") << u"12 more"_s << 12 << SendMethod::Paid;
        QTest::newRow("spaces inside the number") << u" 1 2"_s << 12 << SendMethod::Paid;
        QTest::newRow("markup before the number") << u"<b>12"_s << 0 << SendMethod::Free;
        QTest::newRow("a half rounded down to even") << u"2.5"_s << 2 << SendMethod::Paid;
        QTest::newRow("a half rounded up to even") << u"3.5"_s << 4 << SendMethod::Paid;
        QTest::newRow("too large: the largest") << u"99999"_s << 32767 << SendMethod::Paid;
        QTest::newRow("too small: the smallest") << u"-99999"_s << -32768 << SendMethod::Free;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(SendMethod, method);
        QCOMPARE(int(leadingNumberInt16(text)), value);
        QCOMPARE(sendTypeIndex(text), int(method));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
