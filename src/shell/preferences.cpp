#include "shell/preferences.h"

#include "core/cp1252.h"
#include "core/settings.h"
#include "platform/keyring.h"
#include "platform/service.h"

namespace zemble {

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

Preferences loadPreferences(PasswordPlace* passwordPlace) {
    Preferences p;
    p.quitConfirmIndex = quitConfirmIndex(readSetting(setting::quitConfirm));
    p.username = readSetting(setting::wispUsername);
    const RememberedPassword remembered =
        readRememberedPassword(platform::use<platform::Keyring>(), p.username);
    p.password = remembered.password;
    if (passwordPlace)
        *passwordPlace = remembered.place;
    p.clip = readSetting(setting::textClipChar);
    p.clipTicked = !p.clip.isEmpty();
    p.showWindow = readSetting(setting::showIeWindow);
    p.signature = readSetting(setting::signature);
    p.appendSignature = readSetting(setting::appendSignature);
    p.confNumber = readSetting(setting::confNumber);
    p.defaultSmsConf = readSetting(setting::defaultSmsConf);
    p.hideSplashScreen = readSetting(setting::hideSplashScreen);
    p.systemTray = readSetting(setting::systemTray);
    p.logSent = readSetting(setting::logSent);
    p.smsLogLocation = readSetting(setting::smsLogLocation);
    p.dontLogout = readSetting(setting::dontLogout);
    return p;
}

PasswordPlace save_preferences(const Preferences& p) {
    const QString previousUsername = readSetting(setting::wispUsername);
    writeSetting(setting::wispUsername, p.username);
    const PasswordPlace place = rememberPassword(platform::use<platform::Keyring>(),
                                                 previousUsername, p.username, p.password);
    if (p.clipTicked)
        writeSetting(setting::textClipChar, p.clip);
    else
        delete_setting(setting::textClipChar.key);
    writeSetting(setting::showIeWindow, p.showWindow);
    writeSetting(setting::quitConfirm, quitConfirmValue(p.quitConfirmIndex));
    writeSetting(setting::appendSignature, p.appendSignature);
    writeSetting(setting::confNumber, p.confNumber);
    // The signature is kept even with its tick clear: new messages use it.
    writeSetting(setting::signature, p.signature);
    writeSetting(setting::defaultSmsConf, p.defaultSmsConf);
    writeSetting(setting::hideSplashScreen, p.hideSplashScreen);
    writeSetting(setting::systemTray, p.systemTray);
    writeSetting(setting::logSent, p.logSent);
    writeSetting(setting::smsLogLocation, p.smsLogLocation);
    writeSetting(setting::dontLogout, p.dontLogout);
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
