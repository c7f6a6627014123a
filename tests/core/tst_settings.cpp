#include "core/settings.h"
#include "support/files.h"
#include "support/temp_settings.h"

#include <QFile>
#include <QSettings>
#include <QTest>

using namespace zemble;

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    // Reading never creates the file; only the exact "yes" is on; the file is its owner's
    // alone, and the password is kept in it scrambled, for the next run.
    void storeSwitchesAndPassword() {
        test::TempSettings store;
        QCOMPARE(get_setting("quotaleft", -1), QStringLiteral("-1"));
        QVERIFY(!setting_is_yes("hidesplashscreen"));
        QVERIFY(!QFile::exists(store.path()));
        save_setting("textclipchar", "...");
        QCOMPARE(get_setting("textclipchar", ""), QStringLiteral("..."));
        delete_setting("textclipchar");
        delete_setting("textclipchar"); // already absent: ignored
        QCOMPARE(get_setting("textclipchar", "none"), QStringLiteral("none"));
        save_setting("logsent", "Yes");
        QVERIFY(!setting_is_yes("logsent"));
        save_setting("logsent", "yes");
        QVERIFY(setting_is_yes("logsent"));
        QCOMPARE(test::mode_of(store.path()), 0600);
        const QString password = QStringLiteral(" ~pass word}");
        save_setting("wisppassword", scramble_password(password));
        QSettings raw(store.path(), QSettings::IniFormat);
        QCOMPARE(raw.value("settings/wisppassword").toString(), QStringLiteral("\" uctx\"xtte#"));
        QCOMPARE(unscramble_password(get_setting("wisppassword", "")), password);
    }

    void scramble_data() {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("stored"); // null: only the round trip is checked
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("shifts 2,1,5,2") << QString("aaaa") << QString("cbfc");
        QTest::newRow("wraps at the top") << QString("~~~") << QString("! $");
        // Outside 32..126 a character is kept, and the shift still advances.
        QTest::newRow("kept characters")
            << QString::fromUtf8("a\u00a3b\tc\u20acd") << QString::fromUtf8("c\u00a3g\td\u20acf");
        QString printable;
        for (int c = 32; c <= 126; ++c)
            printable.append(QChar(c));
        for (const QString shift : {"", "a", "aa"}) // every printable under each shift
            QTest::newRow(qPrintable("every printable after '" + shift + "'"))
                << shift + printable << QString();
    }
    void scramble() {
        QFETCH(QString, plain);
        QFETCH(QString, stored);
        const QString scrambled = scramble_password(plain);
        if (!stored.isNull())
            QCOMPARE(scrambled, stored);
        QCOMPARE(scrambled.size(), plain.size());
        QCOMPARE(unscramble_password(scrambled), plain);
    }

    // A stored number's value, and the send method it selects (beyond the list: paid).
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("sendType");
        QTest::newRow("empty reads 0") << "" << 0 << 0;
        QTest::newRow("minus one") << "-1" << -1 << 0;
        QTest::newRow("one") << "1" << 1 << 1;
        QTest::newRow("trailing words") << "12 more" << 12 << 1;
        QTest::newRow("blanks inside") << " 1 2" << 12 << 1;
        QTest::newRow("markup first") << "<b>12" << 0 << 0;
        QTest::newRow("half to even down") << "2.5" << 2 << 1;
        QTest::newRow("half to even up") << "3.5" << 4 << 1;
        QTest::newRow("too large held") << "99999" << 32767 << 1;
        QTest::newRow("too small held") << "-99999" << -32768 << 0;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(int, sendType);
        QCOMPARE(int(leading_number_int16(text)), value);
        QCOMPARE(send_type_index(text), sendType);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
