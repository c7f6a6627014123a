#pragma once

#include <QString>

#include <chrono>

namespace zemble::platform {

// What the desktop's keyring (the Secret Service of GNOME Keyring or
// KWallet) made of a request.
enum class KeyringOutcome {
    Done,        // stored, read or removed
    NotFound,    // the keyring answers but holds no such item
    Unavailable, // no keyring on this machine or session
    Refused,     // the keyring answered with an error, stayed locked or did not answer in time
};

struct KeyringRead {
    KeyringOutcome outcome = KeyringOutcome::Unavailable;
    QString password; // only with Done
};

// Passwords kept in the desktop's keyring.  An item is found by its label
// (what the keyring's own window shows) and the account it belongs to.
// Every call waits for the keyring's answer, at most keyringWait().
class Keyring {
public:
    virtual ~Keyring() = default;
    virtual KeyringOutcome store(const QString& label, const QString& account,
                                 const QString& password) = 0;
    virtual KeyringRead read(const QString& label, const QString& account) = 0;
    // Removing an item that is not there is NotFound.
    virtual KeyringOutcome forget(const QString& label, const QString& account) = 0;

    static Keyring& real();
};

// How long a keyring call waits for its answer; unlocking a locked keyring
// asks the user, so the windowed program waits long enough for a person.
std::chrono::milliseconds keyringWait();
void setKeyringWait(std::chrono::milliseconds wait);

} // namespace zemble::platform
