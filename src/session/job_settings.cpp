#include "session/job_settings.h"

#include "core/settings.h"

namespace zemble {

bool StoredJobSettings::keepsLoggedOn() const {
    return settingIsYes(keys::dontLogout);
}

bool StoredJobSettings::sendLimitOff() const {
    return settingIsYes(keys::noSendLimit);
}

QString StoredJobSettings::confirmationNumber() const {
    return get_setting(keys::confNumber, "");
}

QString StoredJobSettings::clipText() const {
    return get_setting(keys::textClipChar, "");
}

bool StoredJobSettings::logsSent() const {
    return settingIsYes(keys::logSent);
}

std::optional<SiteSettingProblem> StoredJobSettings::siteProblem() const {
    return siteSettingsProblem();
}

} // namespace zemble
