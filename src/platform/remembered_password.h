#pragma once

#include <QString>

namespace zemble {

namespace platform {
class Keyring;
}

// Whose password: the operator portal's account, or the SMS gateway's
// sendsms account.  Each has its own keyring items and settings keys.
enum class AccountKind { Portal, Gateway };

// Where a remembered password is kept.
enum class PasswordPlace {
    Keyring,      // the desktop's keyring; the settings file holds none
    SettingsFile, // scrambled in the settings file: no keyring could take it
};

// The line the preferences dialog shows for a place.
QString passwordPlaceText(PasswordPlace place);

// The keyring item's label for a portal account, as the keyring's own
// window shows it: one item per account.
QString portalPasswordLabel(const QString& username);
// The same for a gateway account: "Zemble: Kannel gateway password for <user>".
QString gatewayPasswordLabel(const QString& username);
QString passwordLabel(AccountKind kind, const QString& username);

struct RememberedPassword {
    QString password; // plain text; "" when none is remembered
    PasswordPlace place = PasswordPlace::SettingsFile;
};

// The remembered password of the account: the keyring's item when it holds
// one, otherwise the scrambled one of the settings file.  The place is where
// a password saved now would go.
RememberedPassword readRememberedPassword(platform::Keyring& keyring, const QString& username,
                                          AccountKind kind = AccountKind::Portal);

// Remembers the password of the account, or forgets it when it is "": into
// the keyring when it takes it, the settings file then holding none; into
// the settings file (scrambled) otherwise.  An item left under an account
// the user no longer remembers is removed.
PasswordPlace rememberPassword(platform::Keyring& keyring, const QString& previousUsername,
                               const QString& username, const QString& password,
                               AccountKind kind = AccountKind::Portal);

// Moves a password kept in the settings file into the keyring.  The file
// loses it only after the keyring has given it back unchanged; when the
// keyring is missing or refuses, the file is left exactly as it was.
PasswordPlace moveRememberedPasswordToKeyring(platform::Keyring& keyring,
                                              AccountKind kind = AccountKind::Portal);

// The password zemble-send logs on with: the keyring's item of the account,
// then the environment's password, then the settings file's (only for the
// remembered account).  It never writes anywhere.
QString sendingPassword(platform::Keyring& keyring, const QString& username,
                        const QString& environmentPassword, bool rememberedAccount,
                        AccountKind kind = AccountKind::Portal);

} // namespace zemble
