#include "shell/preferences.h"

#include "core/cp1252.h"
#include "core/settings.h"
#include "platform/keyring.h"
#include "platform/service.h"

namespace zemble {
namespace {

QString yesNo(bool on) {
    return on ? QStringLiteral("yes") : QStringLiteral("no");
}

// Writes a key only when its value changes, reading an absent key as
// `absent`: a profile that never used the setting is left without it.
void saveIfChanged(const char* key, const QString& value, const char* absent = "") {
    if (get_setting(key, absent) != value)
        save_setting(key, value);
}

} // namespace

int quitConfirmIndex(const QString& stored) {
    if (stored == QLatin1String("ask"))
        return 2;
    if (stored == QLatin1String("end"))
        return 0;
    return 1;
}

QString quitConfirmValue(int index) {
    if (index == 0)
        return QStringLiteral("end");
    if (index == 1)
        return QStringLiteral("confirm");
    return QStringLiteral("ask");
}

Preferences loadPreferences(PasswordPlace* passwordPlace, PasswordPlace* gatewayPasswordPlace) {
    Preferences p;
    p.quitConfirmIndex = quitConfirmIndex(get_setting(keys::quitConfirm, "confirm"));
    p.username = get_setting(keys::wispUsername, "");
    const RememberedPassword remembered =
        readRememberedPassword(platform::use<platform::Keyring>(), p.username);
    p.password = remembered.password;
    if (passwordPlace)
        *passwordPlace = remembered.place;
    p.clip = get_setting(keys::textClipChar, "");
    p.clipTicked = !p.clip.isEmpty();
    p.showWindow = settingIsYes(keys::showIeWindow);
    p.signature = get_setting(keys::signature, "");
    p.appendSignature = settingIsYes(keys::appendSignature);
    p.confNumber = get_setting(keys::confNumber, "");
    p.defaultSmsConf = settingIsYes(keys::defaultSmsConf);
    p.hideSplashScreen = settingIsYes(keys::hideSplashScreen);
    p.systemTray = settingIsYes(keys::systemTray);
    p.logSent = settingIsYes(keys::logSent);
    p.smsLogLocation = get_setting(keys::smsLogLocation, "");
    p.dontLogout = settingIsYes(keys::dontLogout);

    p.route = sendRouteFromSetting(get_setting(keys::sendRoute, kRouteOperatorSetting));
    p.gatewayUrl = get_setting(keys::gatewayUrl, "");
    p.gatewayUsername = get_setting(keys::gatewayUsername, "");
    const RememberedPassword gateway = readRememberedPassword(
        platform::use<platform::Keyring>(), p.gatewayUsername, AccountKind::Gateway);
    p.gatewayPassword = gateway.password;
    if (gatewayPasswordPlace)
        *gatewayPasswordPlace = gateway.place;
    p.gatewaySender = get_setting(keys::gatewaySender, "");
    p.gatewaySmsc = get_setting(keys::gatewaySmsc, "");
    return p;
}

PasswordPlace save_preferences(const Preferences& p, PasswordPlace* gatewayPasswordPlace) {
    const QString previousUsername = get_setting(keys::wispUsername, "");
    save_setting(keys::wispUsername, p.username);
    const PasswordPlace place = rememberPassword(platform::use<platform::Keyring>(),
                                                 previousUsername, p.username, p.password);
    if (p.clipTicked)
        save_setting(keys::textClipChar, p.clip);
    else
        delete_setting(keys::textClipChar);
    save_setting(keys::showIeWindow, yesNo(p.showWindow));
    save_setting(keys::quitConfirm, quitConfirmValue(p.quitConfirmIndex));
    save_setting(keys::appendSignature, yesNo(p.appendSignature));
    save_setting(keys::confNumber, p.confNumber);
    // The signature is kept even with its tick clear: new messages use it.
    save_setting(keys::signature, p.signature);
    save_setting(keys::defaultSmsConf, yesNo(p.defaultSmsConf));
    save_setting(keys::hideSplashScreen, yesNo(p.hideSplashScreen));
    save_setting(keys::systemTray, yesNo(p.systemTray));
    save_setting(keys::logSent, yesNo(p.logSent));
    save_setting(keys::smsLogLocation, p.smsLogLocation);
    save_setting(keys::dontLogout, yesNo(p.dontLogout));

    saveIfChanged(keys::sendRoute, sendRouteSetting(p.route), kRouteOperatorSetting);
    saveIfChanged(keys::gatewayUrl, p.gatewayUrl);
    const QString previousGatewayUsername = get_setting(keys::gatewayUsername, "");
    saveIfChanged(keys::gatewayUsername, p.gatewayUsername);
    auto& keyring = platform::use<platform::Keyring>();
    const RememberedPassword before =
        readRememberedPassword(keyring, previousGatewayUsername, AccountKind::Gateway);
    // An unchanged account stays where it is kept; the keyring and the
    // file are only touched for a change.
    const PasswordPlace gatewayPlace =
        previousGatewayUsername == p.gatewayUsername && before.password == p.gatewayPassword
            ? before.place
            : rememberPassword(keyring, previousGatewayUsername, p.gatewayUsername,
                               p.gatewayPassword, AccountKind::Gateway);
    if (gatewayPasswordPlace)
        *gatewayPasswordPlace = gatewayPlace;
    saveIfChanged(keys::gatewaySender, p.gatewaySender);
    saveIfChanged(keys::gatewaySmsc, p.gatewaySmsc);
    return place;
}

QString cleanClipText(const QString& text) {
    return keepCp1252(text, [](int code) {
        return (code >= 32 && code <= 90) || (code >= 97 && code <= 125 && code != 124);
    });
}

QString clipSample(bool ticked, const QString& clip) {
    const QString fixed = QLatin1String(kClipSampleText);
    return ticked ? fixed + clip : fixed;
}

QString signatureSample(bool ticked, const QString& signature) {
    const QString fixed = QLatin1String(kSignatureSampleText);
    return ticked ? fixed + signature : fixed;
}

} // namespace zemble
