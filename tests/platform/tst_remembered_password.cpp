#include "platform/remembered_password.h"

#include "core/settings.h"
#include "support/files.h"
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

const QString kAnn = QStringLiteral("ann");

// The keyring's state, the password it gives back (none: what it was given), where the
// password ends up and whether the settings file keeps it.
struct Move {
    KeyringState keyringState;
    std::optional<QString> readBack = {};
    PasswordPlace place = PasswordPlace::SettingsFile;
    bool fileKeepsIt = true;
};

} // namespace

Q_DECLARE_METATYPE(Move)

class TestRememberedPassword : public QObject {
    Q_OBJECT
private slots:
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
        QTest::addColumn<Move>("row");
        const auto row = [](const char* name, const Move& m) { QTest::newRow(name) << m; };
        row("keyring takes it", {.keyringState = KeyringState::Takes,
                                 .place = PasswordPlace::Keyring,
                                 .fileKeepsIt = false});
        row("keyring refuses", {.keyringState = KeyringState::Refuses});
        row("no keyring", {.keyringState = KeyringState::Missing});
        row("keyring gives back another password",
            {.keyringState = KeyringState::Takes, .readBack = "garbled"});
    }
    void movingAScrambledPassword() {
        QFETCH(Move, row);
        const auto& [keyringState, readBack, place, fileKeepsIt] = row;
        test::TempSettings settings;
        const QString scrambled = scramble_password(QStringLiteral("s3cret"));
        saveSettings({{keys::wispUsername, kAnn}, {keys::wispPassword, scrambled}});
        const QByteArray before = test::readWhole(settings.path());
        test::MemoryKeyring keyring;
        arrange(keyring, keyringState);
        keyring.readBack = readBack.value_or(QString());

        QCOMPARE(moveRememberedPasswordToKeyring(keyring), place);
        QCOMPARE(test::readWhole(settings.path()) == before, fileKeepsIt);
        QCOMPARE(test::readWhole(settings.path()).contains(scrambled.toUtf8()), fileKeepsIt);
        QCOMPARE(get_setting(keys::wispPassword, "<absent>"), fileKeepsIt ? scrambled : "");
        keyring.readBack.clear();
        QCOMPARE(readRememberedPassword(keyring, kAnn).password, QStringLiteral("s3cret"));
    }
};

QTEST_GUILESS_MAIN(TestRememberedPassword)
#include "tst_remembered_password.moc"
