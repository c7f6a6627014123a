#include "platform/remembered_password.h"

#include "core/settings.h"
#include "platform/keyring.h"

namespace zemble {
namespace {

using platform::KeyringOutcome;

bool gone(KeyringOutcome outcome) {
    return outcome == KeyringOutcome::Done || outcome == KeyringOutcome::NotFound;
}

// The settings of each kind of account.
const Setting<QString>& passwordSetting(AccountKind kind) {
    return kind == AccountKind::Gateway ? setting::gatewayPassword : setting::wispPassword;
}

const Setting<QString>& usernameSetting(AccountKind kind) {
    return kind == AccountKind::Gateway ? setting::gatewayUsername : setting::wispUsername;
}

QString filePassword(AccountKind kind) {
    return unscramble_password(readSetting(passwordSetting(kind)));
}

} // namespace

QString passwordPlaceText(PasswordPlace place) {
    return place == PasswordPlace::Keyring
               ? QStringLiteral("Kept in the desktop keyring")
               : QStringLiteral("Kept in the settings file (no keyring available)");
}

QString portalPasswordLabel(const QString& username) {
    return username.isEmpty() ? QStringLiteral("Zemble: O2 portal password")
                              : QStringLiteral("Zemble: O2 portal password for %1").arg(username);
}

QString gatewayPasswordLabel(const QString& username) {
    return username.isEmpty()
               ? QStringLiteral("Zemble: Kannel gateway password")
               : QStringLiteral("Zemble: Kannel gateway password for %1").arg(username);
}

QString passwordLabel(AccountKind kind, const QString& username) {
    return kind == AccountKind::Gateway ? gatewayPasswordLabel(username)
                                        : portalPasswordLabel(username);
}

RememberedPassword readRememberedPassword(platform::Keyring& keyring, const QString& username,
                                          AccountKind kind) {
    const platform::KeyringRead item = keyring.read(passwordLabel(kind, username), username);
    if (item.outcome == KeyringOutcome::Done && !item.password.isEmpty())
        return {item.password, PasswordPlace::Keyring};
    const QString kept = filePassword(kind);
    // A password still in the file stays there until the keyring takes it.
    if (kept.isEmpty() && gone(item.outcome))
        return {QString(), PasswordPlace::Keyring};
    return {kept, PasswordPlace::SettingsFile};
}

PasswordPlace rememberPassword(platform::Keyring& keyring, const QString& previousUsername,
                               const QString& username, const QString& password, AccountKind kind) {
    if (previousUsername != username)
        keyring.forget(passwordLabel(kind, previousUsername), previousUsername);
    const QString label = passwordLabel(kind, username);
    if (password.isEmpty()) {
        const KeyringOutcome outcome = keyring.forget(label, username);
        writeSetting(passwordSetting(kind), QString());
        return gone(outcome) ? PasswordPlace::Keyring : PasswordPlace::SettingsFile;
    }
    if (keyring.store(label, username, password) == KeyringOutcome::Done) {
        writeSetting(passwordSetting(kind), QString());
        return PasswordPlace::Keyring;
    }
    // An older item would otherwise win over the file when read back.
    keyring.forget(label, username);
    writeSetting(passwordSetting(kind), scramble_password(password));
    return PasswordPlace::SettingsFile;
}

PasswordPlace moveRememberedPasswordToKeyring(platform::Keyring& keyring, AccountKind kind) {
    const QString password = filePassword(kind);
    if (password.isEmpty())
        return PasswordPlace::Keyring;
    const QString username = readSetting(usernameSetting(kind));
    const QString label = passwordLabel(kind, username);
    if (keyring.store(label, username, password) != KeyringOutcome::Done)
        return PasswordPlace::SettingsFile;
    const platform::KeyringRead check = keyring.read(label, username);
    if (check.outcome != KeyringOutcome::Done || check.password != password)
        return PasswordPlace::SettingsFile;
    writeSetting(passwordSetting(kind), QString());
    return PasswordPlace::Keyring;
}

QString sendingPassword(platform::Keyring& keyring, const QString& username,
                        const QString& environmentPassword, bool rememberedAccount,
                        AccountKind kind) {
    const platform::KeyringRead item = keyring.read(passwordLabel(kind, username), username);
    if (item.outcome == KeyringOutcome::Done && !item.password.isEmpty())
        return item.password;
    if (!environmentPassword.isEmpty())
        return environmentPassword;
    return rememberedAccount ? filePassword(kind) : QString();
}

} // namespace zemble
