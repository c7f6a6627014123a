#pragma once

#include "core/send_route.h"
#include "platform/remembered_password.h"

#include <QString>

namespace zemble {

// Fixed beginnings of the two samples in the preferences dialog: the end of a
// continued part and the end of the last part of a message.
inline constexpr auto kClipSampleText = "the quick brown fox jumps over th";
inline constexpr auto kSignatureSampleText = "brown fox jumps over the lazy dog";

// Entries of the "When quitting:" list, by list index.
inline constexpr const char* kQuitConfirmEntries[] = {
    "Always end immediately",
    "Confirm if a composed SMS hasn't been sent",
    "Always ask for confirmation",
};

// Every preference the dialog edits, as its controls hold them.
struct Preferences {
    QString username;
    QString password; // plain text
    bool clipTicked = false;
    QString clip;
    bool showWindow = false;
    int quitConfirmIndex = 1;
    bool appendSignature = false;
    QString confNumber;
    QString signature;
    bool defaultSmsConf = false;
    bool hideSplashScreen = false;
    bool systemTray = false;
    bool logSent = false;
    QString smsLogLocation;
    bool dontLogout = false;
    // Where texts go, and the SMS gateway's address and sendsms account.
    SendRoute route = SendRoute::OperatorSite;
    QString gatewayUrl;
    QString gatewayUsername;
    QString gatewayPassword; // plain text
    QString gatewaySender;
    QString gatewaySmsc;

    bool operator==(const Preferences&) const = default;
};

// The "When quitting:" list index for a stored "quitconfirm" value and back.
int quitConfirmIndex(const QString& stored);
QString quitConfirmValue(int index);

// What the dialog shows when it is first filled from the store; the password
// comes from the desktop's keyring when it holds it.  `passwordPlace`, when
// given, learns where a remembered password is kept, `gatewayPasswordPlace`
// the same for the gateway's.
Preferences loadPreferences(PasswordPlace* passwordPlace = nullptr,
                            PasswordPlace* gatewayPasswordPlace = nullptr);

// Writes every key the dialog owns, changed or not, in one pass; the
// continuation indicator's key is deleted when its tick is clear.  The
// password goes to the desktop's keyring when it takes it, and is forgotten
// there when the box is empty; the result says where it is kept.  The route
// and gateway keys are written only when they change, so a profile that
// never chose the gateway keeps none of them.
// `gatewayPasswordPlace`, when given, learns where the gateway's is kept.
PasswordPlace save_preferences(const Preferences& preferences,
                               PasswordPlace* gatewayPasswordPlace = nullptr);

// The continuation indicator as kept when the user leaves its box: spaces,
// digits, letters and the punctuation that every phone shows; a line feed
// becomes a space; "[", "\", "]", "^", "_", "`", "|", "~", control
// characters and everything outside plain ASCII go.
QString cleanClipText(const QString& text);

// The live samples below the indicator and the signature.
QString clipSample(bool ticked, const QString& clip);
QString signatureSample(bool ticked, const QString& signature);

} // namespace zemble
