#include "platform/remembered_password.h"

#include "core/settings.h"
#include "support/keyring_double.h"
#include "support/temp_settings.h"

#include <QtTest>

using namespace zemble;
using Outcome = platform::KeyringOutcome;

namespace {

// What a keyring does with a request in a row.
enum class KeyringState { Takes, Refuses, Missing };

void arrange(test::MemoryKeyring& keyring, KeyringState state) {
    keyring.reachable = state != KeyringState::Missing;
    keyring.storeAnswer = state == KeyringState::Refuses ? Outcome::Refused : Outcome::Done;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString kAnn = QStringLiteral("ann");
const QString kAnnLabel = QStringLiteral("Zemble: O2 portal password for ann");

} // namespace

Q_DECLARE_METATYPE(KeyringState)

class TestRememberedPassword : public QObject {
    Q_OBJECT
private slots:
    // Remembering puts the password in the keyring and none in the file; without a keyring, or
    // when it refuses, the file keeps it scrambled.  An empty box forgets it in both places.
    void rememberingAndForgetting_data() {
        QTest::addColumn<KeyringState>("keyringState");
        QTest::addColumn<QString>("password");
        QTest::addColumn<PasswordPlace>("place");
        QTest::addColumn<QString>("inKeyring");
        QTest::addColumn<QString>("inFile"); // as stored, scrambled
        QTest::newRow("keyring takes it")
            << KeyringState::Takes << "p ~x" << PasswordPlace::Keyring << "p ~x"
            << "";
        QTest::newRow("keyring refuses")
            << KeyringState::Refuses << "p ~x" << PasswordPlace::SettingsFile << ""
            << scramble_password("p ~x");
        QTest::newRow("no keyring")
            << KeyringState::Missing << "p ~x" << PasswordPlace::SettingsFile << ""
            << scramble_password("p ~x");
        QTest::newRow("empty box forgets")
            << KeyringState::Takes << "" << PasswordPlace::Keyring << ""
            << "";
        QTest::newRow("empty box without a keyring")
            << KeyringState::Missing << "" << PasswordPlace::SettingsFile << ""
            << "";
    }
    void rememberingAndForgetting() {
        QFETCH(KeyringState, keyringState);
        QFETCH(QString, password);
        QFETCH(PasswordPlace, place);
        QFETCH(QString, inKeyring);
        QFETCH(QString, inFile);
        test::TempSettings settings;
        test::MemoryKeyring keyring;
        // An older password in both places, as a half-finished earlier save would leave it.
        keyring.items.insert({kAnnLabel, kAnn}, QStringLiteral("old"));
        save_setting(keys::wispPassword, scramble_password(QStringLiteral("old")));
        arrange(keyring, keyringState);

        QCOMPARE(rememberPassword(keyring, kAnn, kAnn, password), place);
        if (keyring.reachable)
            QCOMPARE(keyring.item(kAnnLabel, kAnn), inKeyring);
        QCOMPARE(get_setting(keys::wispPassword, "<absent>"), inFile);
        // Read back, the password is the one just saved, wherever it went.
        QCOMPARE(readRememberedPassword(keyring, kAnn).password, password);
    }

    // A new user name leaves no item behind under the old one.
    void renamedAccountLeavesNoItem() {
        test::TempSettings settings;
        test::MemoryKeyring keyring;
        QCOMPARE(rememberPassword(keyring, "", kAnn, "one"), PasswordPlace::Keyring);
        QCOMPARE(rememberPassword(keyring, kAnn, "bob", "two"), PasswordPlace::Keyring);
        const QMap<QPair<QString, QString>, QString> expected{
            {{QStringLiteral("Zemble: O2 portal password for bob"), QStringLiteral("bob")},
             QStringLiteral("two")}};
        QCOMPARE(keyring.items, expected);
    }

    // A scrambled password from an older version moves into the keyring; the file loses it only
    // when the keyring gives it back unchanged, and is otherwise left byte for byte.
    void movingAScrambledPassword_data() {
        QTest::addColumn<KeyringState>("keyringState");
        QTest::addColumn<QString>("readBack"); // "": the keyring returns what it was given
        QTest::addColumn<PasswordPlace>("place");
        QTest::addColumn<bool>("fileKeepsIt");
        QTest::newRow("keyring takes it")
            << KeyringState::Takes << "" << PasswordPlace::Keyring << false;
        QTest::newRow("keyring refuses")
            << KeyringState::Refuses << "" << PasswordPlace::SettingsFile << true;
        QTest::newRow("no keyring")
            << KeyringState::Missing << "" << PasswordPlace::SettingsFile << true;
        QTest::newRow("keyring gives back another password")
            << KeyringState::Takes << "garbled" << PasswordPlace::SettingsFile << true;
    }
    void movingAScrambledPassword() {
        QFETCH(KeyringState, keyringState);
        QFETCH(QString, readBack);
        QFETCH(PasswordPlace, place);
        QFETCH(bool, fileKeepsIt);
        test::TempSettings settings;
        saveSettings({{keys::wispUsername, kAnn},
                      {keys::wispPassword, scramble_password(QStringLiteral("s3cret"))}});
        const QByteArray before = fileBytes(settings.path());
        test::MemoryKeyring keyring;
        arrange(keyring, keyringState);
        keyring.readBack = readBack;

        QCOMPARE(moveRememberedPasswordToKeyring(keyring), place);
        if (fileKeepsIt) {
            QCOMPARE(fileBytes(settings.path()), before);
        } else {
            QCOMPARE(get_setting(keys::wispPassword, "<absent>"), QString());
            QCOMPARE(keyring.item(kAnnLabel, kAnn), QStringLiteral("s3cret"));
            QVERIFY(!fileBytes(settings.path()).contains(scramble_password("s3cret").toUtf8()));
        }
        keyring.readBack.clear();
        QCOMPARE(readRememberedPassword(keyring, kAnn).password, QStringLiteral("s3cret"));
    }

    // The keyring's item wins over the file; the place is where a password saved now would go.
    void readingWhatIsRemembered_data() {
        QTest::addColumn<KeyringState>("keyringState");
        QTest::addColumn<QString>("inKeyring"); // "": no item
        QTest::addColumn<QString>("inFile");    // plain; "": none
        QTest::addColumn<QString>("password");
        QTest::addColumn<PasswordPlace>("place");
        QTest::newRow("in the keyring") << KeyringState::Takes << "ring"
                                        << "file"
                                        << "ring" << PasswordPlace::Keyring;
        QTest::newRow("only in the file, keyring there") << KeyringState::Takes << ""
                                                         << "file"
                                                         << "file" << PasswordPlace::SettingsFile;
        QTest::newRow("nothing remembered, keyring there") << KeyringState::Takes << ""
                                                           << ""
                                                           << "" << PasswordPlace::Keyring;
        QTest::newRow("nothing remembered, no keyring") << KeyringState::Missing << ""
                                                        << ""
                                                        << "" << PasswordPlace::SettingsFile;
        QTest::newRow("in the file, no keyring") << KeyringState::Missing << ""
                                                 << "file"
                                                 << "file" << PasswordPlace::SettingsFile;
    }
    void readingWhatIsRemembered() {
        QFETCH(KeyringState, keyringState);
        QFETCH(QString, inKeyring);
        QFETCH(QString, inFile);
        QFETCH(QString, password);
        QFETCH(PasswordPlace, place);
        test::TempSettings settings;
        save_setting(keys::wispPassword, scramble_password(inFile));
        test::MemoryKeyring keyring;
        if (!inKeyring.isEmpty())
            keyring.items.insert({kAnnLabel, kAnn}, inKeyring);
        arrange(keyring, keyringState);
        const RememberedPassword remembered = readRememberedPassword(keyring, kAnn);
        QCOMPARE(remembered.password, password);
        QCOMPARE(remembered.place, place);
        QCOMPARE(passwordPlaceText(remembered.place),
                 place == PasswordPlace::Keyring
                     ? QStringLiteral("Kept in the desktop keyring")
                     : QStringLiteral("Kept in the settings file (no keyring available)"));
    }

    // zemble-send: the keyring, then the environment, then the settings file, which speaks only
    // for the remembered account (not for one named on the command line).
    void sendingPasswordOrder_data() {
        QTest::addColumn<QString>("inKeyring");
        QTest::addColumn<QString>("inEnvironment");
        QTest::addColumn<QString>("inFile");
        QTest::addColumn<bool>("rememberedAccount");
        QTest::addColumn<QString>("password");
        QTest::newRow("keyring first") << "ring"
                                       << "env"
                                       << "file" << true << "ring";
        QTest::newRow("environment next") << ""
                                          << "env"
                                          << "file" << true << "env";
        QTest::newRow("settings file last") << ""
                                            << ""
                                            << "file" << true << "file";
        QTest::newRow("file not for another account") << ""
                                                      << ""
                                                      << "file" << false << "";
        QTest::newRow("keyring for another account") << "ring"
                                                     << ""
                                                     << "file" << false << "ring";
    }
    void sendingPasswordOrder() {
        QFETCH(QString, inKeyring);
        QFETCH(QString, inEnvironment);
        QFETCH(QString, inFile);
        QFETCH(bool, rememberedAccount);
        QFETCH(QString, password);
        test::TempSettings settings;
        save_setting(keys::wispPassword, scramble_password(inFile));
        const QByteArray before = fileBytes(settings.path());
        test::MemoryKeyring keyring;
        if (!inKeyring.isEmpty())
            keyring.items.insert({kAnnLabel, kAnn}, inKeyring);
        QCOMPARE(sendingPassword(keyring, kAnn, inEnvironment, rememberedAccount), password);
        // It only reads.
        QCOMPARE(keyring.items.size(), inKeyring.isEmpty() ? 0 : 1);
        QCOMPARE(fileBytes(settings.path()), before);
    }
};

QTEST_GUILESS_MAIN(TestRememberedPassword)
#include "tst_remembered_password.moc"
