#include "core/settings.h"
#include "support/files.h"
#include "support/temp_settings.h"

#include <QtTest>

using namespace zemble;

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

    // A row is "plain\nstored" (round trips are fuzzed).  Outside 32..126 a character is kept,
    // and the shift still advances.
    void scramble_data() {
        QTest::addColumn<QString>("row");
        for (const QString row : {QString("\n"), QString("aaaa\ncbfc"), QString("~~~\n! $"),
                                  QString::fromUtf8("a\u00a3b\tc\u20acd\nc\u00a3g\td\u20acf")})
            QTest::newRow(qPrintable(row.left(12))) << row;
    }
    void scramble() {
        QFETCH(QString, row);
        const QString plain = row.section(u'\n', 0, 0), stored = row.section(u'\n', 1);
        QCOMPARE(scramble_password(plain), stored);
        QCOMPARE(unscramble_password(stored), plain);
    }

    // A stored number's value, and the send method it selects (beyond the list: paid).
    void leadingNumber_data() {
        QTest::addColumn<QString>("row"); // "text|value|send method"
        for (const char* row :
             {"|0|0", "-1|-1|0", "1|1|1", "12 more|12|1", " 1 2|12|1", "<b>12|0|0", "2.5|2|1",
              "3.5|4|1", "99999|32767|1", "-99999|-32768|0"})
            QTest::newRow(row) << QString(row);
    }
    void leadingNumber() {
        QFETCH(QString, row);
        const QStringList c = row.split(u'|');
        QCOMPARE(int(leadingNumberInt16(c[0])), c[1].toInt());
        QCOMPARE(sendTypeIndex(c[0]), c[2].toInt());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
