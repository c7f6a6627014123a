#pragma once

#include "platform/tray.h"

#include <QList>

namespace zemble::test {

// The notification area without a desktop: records the icon's life and lets
// a test click it.
class RecordingTray final : public platform::TrayService {
public:
    void showIcon(const QIcon& icon, const QString& tip,
                  std::function<void(platform::TrayClick)> onClick) override;
    void removeIcon() override;
    bool iconShown() const override { return shown; }

    // Clicks the icon; false when there is no icon to click.
    bool click(platform::TrayClick click);

    // False plays a desktop without a notification area.
    bool available = true;
    bool shown = false;
    QString tip;
    bool iconSet = false;
    int showCount = 0;
    int removeCount = 0;

private:
    std::function<void(platform::TrayClick)> onClick_;
};

} // namespace zemble::test
