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

    // A switch is on only for the exact text the program writes; anything else, or nothing, is
    // off.  It is written back as "yes" or "no".
    void switchIsOnOnlyForExactYes_data() {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("storedText");
        QTest::addColumn<bool>("on");
        QTest::newRow("absent") << false << QString() << false;
        QTest::newRow("yes") << true << u"yes"_s << true;
        QTest::newRow("capital Yes") << true << u"Yes"_s << false;
        QTest::newRow("yes with more after") << true << u"yes please"_s << false;
        QTest::newRow("empty") << true << QString() << false;
    }
    void switchIsOnOnlyForExactYes() {
        QFETCH(bool, stored);
        QFETCH(QString, storedText);
        QFETCH(bool, on);
        test::TempSettings store;
        if (stored)
            save_setting(u"systemtray"_s, storedText);
        QCOMPARE(readSetting(setting::systemTray), on);
        writeSetting(setting::systemTray, !on);
        QSettings raw(store.path(), QSettings::IniFormat);
        QCOMPARE(raw.value("settings/systemtray").toString(), on ? u"no"_s : u"yes"_s);
    }

    // A text kept empty is a value of its own, not the default an absent key reads as.
    void textReadsItsDefaultOnlyWhenAbsent_data() {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("storedText");
        QTest::addColumn<QString>("read");
        QTest::newRow("absent") << false << QString() << u"confirm"_s;
        QTest::newRow("empty") << true << QString() << QString();
        QTest::newRow("ask") << true << u"ask"_s << u"ask"_s;
    }
    void textReadsItsDefaultOnlyWhenAbsent() {
        QFETCH(bool, stored);
        QFETCH(QString, storedText);
        QFETCH(QString, read);
        test::TempSettings store;
        if (stored)
            writeSetting(setting::quitConfirm, storedText);
        QCOMPARE(readSetting(setting::quitConfirm), read);
        QCOMPARE(storedSettingText(u"quitconfirm"_s).has_value(), stored);
    }

    // A stored number is read as leadingNumber reads it; an absent one as its default.
    void numberReadsItsLeadingNumeral_data() {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("storedText");
        QTest::addColumn<int>("read");
        QTest::newRow("absent: unknown") << false << QString() << -1;
        QTest::newRow("as written") << true << u"7"_s << 7;
        QTest::newRow("numeral then words") << true << u"12 more"_s << 12;
    }
    void numberReadsItsLeadingNumeral() {
        QFETCH(bool, stored);
        QFETCH(QString, storedText);
        QFETCH(int, read);
        test::TempSettings store;
        if (stored)
            save_setting(u"quotaleft"_s, storedText);
        QCOMPARE(readSetting(setting::quotaLeft), read);
        writeSetting(setting::quotaLeft, -1);
        QCOMPARE(get_setting(u"quotaleft"_s, ""), u"-1"_s);
    }

    // Outside 32..126 a character is kept, and the shift still advances (round trips are
    // fuzzed).
    void scramble_data() {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("stored");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("shifts 2, 1, 5, 2") << u"aaaa"_s << u"cbfc"_s;
        QTest::newRow("wraps past the tilde") << u"~~~"_s << u"! $"_s;
        QTest::newRow("outside the range kept")
            << u"a\u00a3b\tc\u20acd"_s << u"c\u00a3g\td\u20acf"_s;
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
