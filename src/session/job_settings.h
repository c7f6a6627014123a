#pragma once

#include "session/site_settings.h"

#include <QString>

#include <optional>

namespace zemble {

// The settings a send job reads, each at the moment it needs it.  The
// programs give a job the settings store; tests give it their own answers.
class JobSettings {
public:
    virtual ~JobSettings() = default;
    // Keep the portal session open between jobs ("dontlogout").
    virtual bool keepsLoggedOn() const = 0;
    // The limits on recipients and messages are off ("nosendlimit").
    virtual bool sendLimitOff() const = 0;
    // The number the confirmation copy goes to; "" for none.
    virtual QString confirmationNumber() const = 0;
    // The text that marks a part as continued; "" for none.
    virtual QString clipText() const = 0;
    // Each send is added to the sent-message log.
    virtual bool logsSent() const = 0;
    // Why the host and authority settings cannot reach the site, if they cannot.
    virtual std::optional<SiteSettingProblem> siteProblem() const = 0;
};

// The settings store of the running program.
class StoredJobSettings final : public JobSettings {
public:
    bool keepsLoggedOn() const override;
    bool sendLimitOff() const override;
    QString confirmationNumber() const override;
    QString clipText() const override;
    bool logsSent() const override;
    std::optional<SiteSettingProblem> siteProblem() const override;
};

} // namespace zemble
