#include "core/settings.h"
#include "support/temp_settings.h"

#include <QFile>
#include <QSettings>
#include <QTest>

using namespace zemble;

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void emptyStoreReadsDefaults_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("fallback");
        QTest::addColumn<QString>("expected");
        QTest::newRow("sendtype") << "sendtype" << QVariant(0) << "0";
        QTest::newRow("quotaleft") << "quotaleft" << QVariant(-1) << "-1";
        QTest::newRow("paidquotaleft") << "paidquotaleft" << QVariant(-1) << "-1";
        QTest::newRow("wispusername") << "wispusername" << QVariant("") << "";
        QTest::newRow("wisppassword") << "wisppassword" << QVariant("") << "";
        QTest::newRow("textclipchar") << "textclipchar" << QVariant("") << "";
        QTest::newRow("quitconfirm") << "quitconfirm" << QVariant("confirm") << "confirm";
        QTest::newRow("hidesplashscreen") << "hidesplashscreen" << QVariant("no") << "no";
        QTest::newRow("dontlogout") << "dontlogout" << QVariant("no") << "no";
        QTest::newRow("portal host")
            << keys::portalHost << QVariant(kDefaultPortalHost) << kDefaultPortalHost;
        QTest::newRow("extra authorities") << keys::extraCaFile << QVariant("") << "";
    }
    void emptyStoreReadsDefaults() {
        test::TempSettings store;
        QFETCH(QString, key);
        QFETCH(QVariant, fallback);
        QFETCH(QString, expected);
        const QString value = fallback.typeId() == QMetaType::Int
                                  ? get_setting(key, fallback.toInt())
                                  : get_setting(key, fallback.toString());
        QCOMPARE(value, expected);
    }

    void saveDeleteAndSwitches() {
        test::TempSettings store;
        save_setting("textclipchar", "...");
        QCOMPARE(get_setting("textclipchar", ""), QStringLiteral("..."));
        delete_setting("textclipchar");
        QCOMPARE(get_setting("textclipchar", "zz"), QStringLiteral("zz"));
        delete_setting("textclipchar"); // already absent: ignored
        QCOMPARE(get_setting("textclipchar", ""), QString());

        QVERIFY(!setting_is_yes("logsent"));
        save_setting("logsent", "Yes");
        QVERIFY(!setting_is_yes("logsent"));
        save_setting("logsent", "yes");
        QVERIFY(setting_is_yes("logsent"));
    }

    void storedFileIsPrivate() {
        test::TempSettings store;
        save_setting("wisppassword", scramble_password("secret"));
        const auto perms = QFile::permissions(store.path());
        QVERIFY(perms & QFile::ReadOwner);
        QVERIFY(!(perms &
                  (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther)));
    }

    void passwordSurvivesRestart() {
        test::TempSettings store;
        const QString password = QStringLiteral(" ~pass word}");
        save_setting("wisppassword", scramble_password(password));
        // A fresh reader sees the scrambled text, not the password.
        QSettings raw(store.path(), QSettings::IniFormat);
        const QString stored = raw.value("settings/wisppassword").toString();
        QCOMPARE(stored, scramble_password(password));
        QVERIFY(stored != password);
        QCOMPARE(unscramble_password(get_setting("wisppassword", "")), password);
    }

    void scrambleKnownValues_data() {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("stored");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("shifts 2,1,5,2") << "aaaa"
                                        << "cbfc";
        QTest::newRow("wraps at the top") << "~~~"
                                          << "! $";
        QTest::newRow("space") << " "
                               << "\"";
    }
    void scrambleKnownValues() {
        QFETCH(QString, plain);
        QFETCH(QString, stored);
        QCOMPARE(scramble_password(plain), stored);
        QCOMPARE(unscramble_password(stored), plain);
    }

    void scrambleRoundTripsEveryPrintable_data() {
        QTest::addColumn<int>("offset");
        for (int offset = 0; offset < 3; ++offset)
            QTest::newRow(qPrintable(QString::number(offset))) << offset;
    }
    void scrambleRoundTripsEveryPrintable() {
        // Every printable character at every position of the shift pattern.
        QFETCH(int, offset);
        QString password(offset, u'a');
        for (int c = 32; c <= 126; ++c)
            password.append(QChar(c));
        const QString stored = scramble_password(password);
        QCOMPARE(stored.size(), password.size());
        for (const QChar c : stored)
            QVERIFY(c.unicode() >= 32 && c.unicode() <= 126);
        QCOMPARE(unscramble_password(stored), password);
    }

    void scrambleKeepsOtherCharacters() {
        // Outside 32..126 a character is kept, and the shift still advances.
        const QString password = QString::fromUtf8("a\u00a3b\tc\u20acd");
        const QString stored = scramble_password(password);
        QCOMPARE(stored, QString::fromUtf8("c\u00a3g\td\u20acf"));
        QCOMPARE(unscramble_password(stored), password);
    }

    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("empty reads 0") << "" << 0;
        QTest::newRow("minus one") << "-1" << -1;
        QTest::newRow("plain") << "12" << 12;
        QTest::newRow("trailing words") << "12 more" << 12;
        QTest::newRow("blanks inside") << " 1 2" << 12;
        QTest::newRow("markup first") << "<b>12" << 0;
        QTest::newRow("words") << "abc" << 0;
        QTest::newRow("half to even down") << "2.5" << 2;
        QTest::newRow("half to even up") << "3.5" << 4;
        QTest::newRow("too large held") << "99999" << 32767;
        QTest::newRow("too small held") << "-99999" << -32768;
        QTest::newRow("sign alone") << "-" << 0;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(int(leading_number_int16(text)), value);
    }

    void sendTypeIndex_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("index");
        QTest::newRow("free") << "0" << 0;
        QTest::newRow("paid") << "1" << 1;
        QTest::newRow("beyond the list") << "5" << 1;
        QTest::newRow("negative") << "-3" << 0;
        QTest::newRow("no number") << "paid" << 0;
    }
    void sendTypeIndex() {
        QFETCH(QString, stored);
        QFETCH(int, index);
        QCOMPARE(send_type_index(stored), index);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
