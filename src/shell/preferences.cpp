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
    p.quitConfirmIndex = quit_confirm_index(get_setting(QStringLiteral("quitconfirm"), "confirm"));
    p.username = get_setting(QStringLiteral("wispusername"), "");
    p.password = unscramble_password(get_setting(QStringLiteral("wisppassword"), ""));
    p.clip = get_setting(QStringLiteral("textclipchar"), "");
    p.clipTicked = !p.clip.isEmpty();
    p.showWindow = setting_is_yes(QStringLiteral("showiewindow"));
    p.signature = get_setting(QStringLiteral("signature"), "");
    p.appendSignature = setting_is_yes(QStringLiteral("appendsignature"));
    p.confNumber = get_setting(QStringLiteral("confnumber"), "");
    p.defaultSmsConf = setting_is_yes(QStringLiteral("defaultsmsconf"));
    p.hideSplashScreen = setting_is_yes(QStringLiteral("hidesplashscreen"));
    p.systemTray = setting_is_yes(QStringLiteral("systemtray"));
    p.logSent = setting_is_yes(QStringLiteral("logsent"));
    p.smsLogLocation = get_setting(QStringLiteral("smsloglocation"), "");
    p.dontLogout = setting_is_yes(QStringLiteral("dontlogout"));
    return p;
}

void save_preferences(const Preferences& p) {
    save_setting(QStringLiteral("wispusername"), p.username);
    save_setting(QStringLiteral("wisppassword"), scramble_password(p.password));
    if (p.clipTicked)
        save_setting(QStringLiteral("textclipchar"), p.clip);
    else
        delete_setting(QStringLiteral("textclipchar"));
    save_setting(QStringLiteral("showiewindow"), yes_no(p.showWindow));
    save_setting(QStringLiteral("quitconfirm"), quit_confirm_value(p.quitConfirmIndex));
    save_setting(QStringLiteral("appendsignature"), yes_no(p.appendSignature));
    save_setting(QStringLiteral("confnumber"), p.confNumber);
    // The signature is kept even with its tick clear: new messages use it.
    save_setting(QStringLiteral("signature"), p.signature);
    save_setting(QStringLiteral("defaultsmsconf"), yes_no(p.defaultSmsConf));
    save_setting(QStringLiteral("hidesplashscreen"), yes_no(p.hideSplashScreen));
    save_setting(QStringLiteral("systemtray"), yes_no(p.systemTray));
    save_setting(QStringLiteral("logsent"), yes_no(p.logSent));
    save_setting(QStringLiteral("smsloglocation"), p.smsLogLocation);
    save_setting(QStringLiteral("dontlogout"), yes_no(p.dontLogout));
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
