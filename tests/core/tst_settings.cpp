#include "core/settings.h"
#include "support/temp_settings.h"

#include <QFile>
#include <QSettings>
#include <QTest>

using namespace zemble;

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void emptyStoreReadsDefaults() {
        test::TempSettings store;
        QCOMPARE(get_setting("sendtype", 0), QStringLiteral("0"));
        QCOMPARE(get_setting("quotaleft", -1), QStringLiteral("-1"));
        QCOMPARE(get_setting("quitconfirm", "confirm"), QStringLiteral("confirm"));
        QCOMPARE(get_setting(keys::portalHost, kDefaultPortalHost),
                 QLatin1String(kDefaultPortalHost));
        QVERIFY(!settingIsYes("hidesplashscreen"));
        QVERIFY(!QFile::exists(store.path())); // reading never creates the file
    }

    void saveDeleteAndSwitches() {
        test::TempSettings store;
        save_setting("textclipchar", "...");
        QCOMPARE(get_setting("textclipchar", ""), QStringLiteral("..."));
        delete_setting("textclipchar");
        QCOMPARE(get_setting("textclipchar", ""), QString());
        delete_setting("textclipchar"); // already absent: ignored
        save_setting("logsent", "Yes");
        QVERIFY(!settingIsYes("logsent")); // only the exact "yes" is on
        save_setting("logsent", "yes");
        QVERIFY(settingIsYes("logsent"));
        // The file holds the remembered password: its owner alone may read it.
        const auto perms = QFile::permissions(store.path());
        QVERIFY(!(perms & (QFile::ReadGroup | QFile::ReadOther)));
    }

    void passwordSurvivesRestart() {
        test::TempSettings store;
        const QString password = QStringLiteral(" ~pass word}");
        save_setting("wisppassword", scramble_password(password));
        QSettings raw(store.path(), QSettings::IniFormat);
        QCOMPARE(raw.value("settings/wisppassword").toString(), QStringLiteral("\" uctx\"xtte#"));
        QCOMPARE(unscramble_password(get_setting("wisppassword", "")), password);
    }

    void scramble_data() {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("stored");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("shifts 2,1,5,2") << "aaaa"
                                        << "cbfc";
        QTest::newRow("wraps at the top") << "~~~"
                                          << "! $";
        // Outside 32..126 a character is kept, and the shift still advances.
        QTest::newRow("kept characters")
            << QString::fromUtf8("a\u00a3b\tc\u20acd") << QString::fromUtf8("c\u00a3g\td\u20acf");
        QString printable;
        for (int c = 32; c <= 126; ++c)
            printable.append(QChar(c));
        QTest::newRow("every printable") << printable << QString();
        QTest::newRow("every printable, shifted") << "a" + printable << QString();
        QTest::newRow("every printable, shifted twice") << "aa" + printable << QString();
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

    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("empty reads 0") << "" << 0;
        QTest::newRow("minus one") << "-1" << -1;
        QTest::newRow("trailing words") << "12 more" << 12;
        QTest::newRow("blanks inside") << " 1 2" << 12;
        QTest::newRow("markup first") << "<b>12" << 0;
        QTest::newRow("half to even down") << "2.5" << 2;
        QTest::newRow("half to even up") << "3.5" << 4;
        QTest::newRow("too large held") << "99999" << 32767;
        QTest::newRow("too small held") << "-99999" << -32768;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(int(leadingNumberInt16(text)), value);
    }

    void sendTypeIndex() {
        QCOMPARE(zemble::sendTypeIndex("1"), 1);
        QCOMPARE(zemble::sendTypeIndex("5"), 1); // beyond the list: paid
        QCOMPARE(zemble::sendTypeIndex("-3"), 0);
        QCOMPARE(zemble::sendTypeIndex("paid"), 0);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
