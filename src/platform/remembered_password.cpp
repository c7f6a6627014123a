#include "platform/remembered_password.h"

#include "core/settings.h"
#include "platform/keyring.h"

namespace zemble {
namespace {

using platform::KeyringOutcome;

bool gone(KeyringOutcome outcome) {
    return outcome == KeyringOutcome::Done || outcome == KeyringOutcome::NotFound;
}

QString filePassword() {
    return unscramble_password(readSetting(setting::wispPassword));
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

RememberedPassword readRememberedPassword(platform::Keyring& keyring, const QString& username) {
    const platform::KeyringRead item = keyring.read(portalPasswordLabel(username), username);
    if (item.outcome == KeyringOutcome::Done && !item.password.isEmpty())
        return {item.password, PasswordPlace::Keyring};
    const QString kept = filePassword();
    // A password still in the file stays there until the keyring takes it.
    if (kept.isEmpty() && gone(item.outcome))
        return {QString(), PasswordPlace::Keyring};
    return {kept, PasswordPlace::SettingsFile};
}

PasswordPlace rememberPassword(platform::Keyring& keyring, const QString& previousUsername,
                               const QString& username, const QString& password) {
    if (previousUsername != username)
        keyring.forget(portalPasswordLabel(previousUsername), previousUsername);
    const QString label = portalPasswordLabel(username);
    if (password.isEmpty()) {
        const KeyringOutcome outcome = keyring.forget(label, username);
        writeSetting(setting::wispPassword, QString());
        return gone(outcome) ? PasswordPlace::Keyring : PasswordPlace::SettingsFile;
    }
    if (keyring.store(label, username, password) == KeyringOutcome::Done) {
        writeSetting(setting::wispPassword, QString());
        return PasswordPlace::Keyring;
    }
    // An older item would otherwise win over the file when read back.
    keyring.forget(label, username);
    writeSetting(setting::wispPassword, scramble_password(password));
    return PasswordPlace::SettingsFile;
}

PasswordPlace moveRememberedPasswordToKeyring(platform::Keyring& keyring) {
    const QString password = filePassword();
    if (password.isEmpty())
        return PasswordPlace::Keyring;
    const QString username = readSetting(setting::wispUsername);
    const QString label = portalPasswordLabel(username);
    if (keyring.store(label, username, password) != KeyringOutcome::Done)
        return PasswordPlace::SettingsFile;
    const platform::KeyringRead check = keyring.read(label, username);
    if (check.outcome != KeyringOutcome::Done || check.password != password)
        return PasswordPlace::SettingsFile;
    writeSetting(setting::wispPassword, QString());
    return PasswordPlace::Keyring;
}

QString sendingPassword(platform::Keyring& keyring, const QString& username,
                        const QString& environmentPassword, bool rememberedAccount) {
    const platform::KeyringRead item = keyring.read(portalPasswordLabel(username), username);
    if (item.outcome == KeyringOutcome::Done && !item.password.isEmpty())
        return item.password;
    if (!environmentPassword.isEmpty())
        return environmentPassword;
    return rememberedAccount ? filePassword() : QString();
}

} // namespace zemble
