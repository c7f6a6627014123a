#include "shell/preferences.h"

#include "core/cp1252.h"
#include "core/settings.h"

namespace zemble {
namespace {

QString yes_no(bool on) {
    return on ? QStringLiteral("yes") : QStringLiteral("no");
}

} // namespace

int quit_confirm_index(const QString& stored) {
    if (stored == QLatin1String("ask"))
        return 2;
    if (stored == QLatin1String("end"))
        return 0;
    return 1;
}

QString quit_confirm_value(int index) {
    if (index == 0)
        return QStringLiteral("end");
    if (index == 1)
        return QStringLiteral("confirm");
    return QStringLiteral("ask");
}

Preferences load_preferences() {
    Preferences p;
    p.quitConfirmIndex = quit_confirm_index(get_setting(keys::quitConfirm, "confirm"));
    p.username = get_setting(keys::wispUsername, "");
    p.password = unscramble_password(get_setting(keys::wispPassword, ""));
    p.clip = get_setting(keys::textClipChar, "");
    p.clipTicked = !p.clip.isEmpty();
    p.showWindow = setting_is_yes(keys::showIeWindow);
    p.signature = get_setting(keys::signature, "");
    p.appendSignature = setting_is_yes(keys::appendSignature);
    p.confNumber = get_setting(keys::confNumber, "");
    p.defaultSmsConf = setting_is_yes(keys::defaultSmsConf);
    p.hideSplashScreen = setting_is_yes(keys::hideSplashScreen);
    p.systemTray = setting_is_yes(keys::systemTray);
    p.logSent = setting_is_yes(keys::logSent);
    p.smsLogLocation = get_setting(keys::smsLogLocation, "");
    p.dontLogout = setting_is_yes(keys::dontLogout);
    return p;
}

void save_preferences(const Preferences& p) {
    save_setting(keys::wispUsername, p.username);
    save_setting(keys::wispPassword, scramble_password(p.password));
    if (p.clipTicked)
        save_setting(keys::textClipChar, p.clip);
    else
        delete_setting(keys::textClipChar);
    save_setting(keys::showIeWindow, yes_no(p.showWindow));
    save_setting(keys::quitConfirm, quit_confirm_value(p.quitConfirmIndex));
    save_setting(keys::appendSignature, yes_no(p.appendSignature));
    save_setting(keys::confNumber, p.confNumber);
    // The signature is kept even with its tick clear: new messages use it.
    save_setting(keys::signature, p.signature);
    save_setting(keys::defaultSmsConf, yes_no(p.defaultSmsConf));
    save_setting(keys::hideSplashScreen, yes_no(p.hideSplashScreen));
    save_setting(keys::systemTray, yes_no(p.systemTray));
    save_setting(keys::logSent, yes_no(p.logSent));
    save_setting(keys::smsLogLocation, p.smsLogLocation);
    save_setting(keys::dontLogout, yes_no(p.dontLogout));
}

QString clean_clip_text(const QString& text) {
    return keepCp1252(text, [](int code) {
        return (code >= 32 && code <= 90) || (code >= 97 && code <= 125 && code != 124);
    });
}

QString clip_sample(bool ticked, const QString& clip) {
    const QString fixed = QLatin1String(kClipSampleText);
    return ticked ? fixed + clip : fixed;
}

QString signature_sample(bool ticked, const QString& signature) {
    const QString fixed = QLatin1String(kSignatureSampleText);
    return ticked ? fixed + signature : fixed;
}

} // namespace zemble
