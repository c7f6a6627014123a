#include "session/job_settings.h"

#include "core/settings.h"

namespace zemble {

bool StoredJobSettings::keepsLoggedOn() const {
    return readSetting(setting::dontLogout);
}

bool StoredJobSettings::sendLimitOff() const {
    return readSetting(setting::noSendLimit);
}

QString StoredJobSettings::confirmationNumber() const {
    return readSetting(setting::confNumber);
}

QString StoredJobSettings::clipText() const {
    return readSetting(setting::textClipChar);
}

bool StoredJobSettings::logsSent() const {
    return readSetting(setting::logSent);
}

std::optional<SiteSettingProblem> StoredJobSettings::siteProblem() const {
    return siteSettingsProblem();
}

} // namespace zemble
