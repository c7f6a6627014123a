#include "tray_double.h"

namespace zemble::test {

void RecordingTray::showIcon(const QIcon& icon, const QString& tipText,
                             std::function<void(platform::TrayClick)> onClick) {
    ++showCount;
    if (!available)
        return;
    shown = true;
    tip = tipText;
    iconSet = !icon.isNull();
    onClick_ = std::move(onClick);
}

void RecordingTray::removeIcon() {
    shown = false;
    ++removeCount;
    onClick_ = nullptr;
}

bool RecordingTray::click(platform::TrayClick which) {
    if (!shown || !onClick_)
        return false;
    // The handler may remove the icon; keep the callback alive meanwhile.
    auto handler = onClick_;
    handler(which);
    return true;
}

} // namespace zemble::test
