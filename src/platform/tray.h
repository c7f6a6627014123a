#pragma once

#include <QIcon>
#include <QString>

#include <functional>

namespace zemble::platform {

// How the user touched the notification-area icon.
enum class TrayClick { Left, Double, Right, Middle };

// One notification-area icon for the compose window.
class TrayService {
public:
    virtual ~TrayService() = default;
    // Puts the icon up with its tip text; clicks are reported to `onClick`
    // for as long as the icon is up.  A desktop without a notification area
    // shows nothing, and iconShown() stays false.
    virtual void showIcon(const QIcon& icon, const QString& tip,
                          std::function<void(TrayClick)> onClick) = 0;
    virtual void removeIcon() = 0;
    virtual bool iconShown() const = 0;
    static TrayService& real();
};

} // namespace zemble::platform
