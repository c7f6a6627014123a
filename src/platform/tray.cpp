#include "platform/tray.h"

#include <QSystemTrayIcon>

#include <memory>

namespace zemble::platform {
namespace {

class SystemTray final : public TrayService {
public:
    void showIcon(const QIcon& icon, const QString& tip,
                  std::function<void(TrayClick)> onClick) override {
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            return;
        if (!icon_) {
            icon_ = std::make_unique<QSystemTrayIcon>();
            QObject::connect(icon_.get(), &QSystemTrayIcon::activated,
                             [this](QSystemTrayIcon::ActivationReason reason) {
                                 // The handler may take the icon down, which
                                 // drops the stored callback: call a copy.
                                 if (auto handler = onClick_)
                                     handler(clickOf(reason));
                             });
        }
        onClick_ = std::move(onClick);
        icon_->setIcon(icon);
        icon_->setToolTip(tip);
        icon_->show();
    }

    void removeIcon() override {
        if (icon_)
            icon_->hide();
        onClick_ = nullptr;
    }

    bool iconShown() const override { return icon_ && icon_->isVisible(); }

private:
    static TrayClick clickOf(QSystemTrayIcon::ActivationReason reason) {
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            return TrayClick::Left;
        case QSystemTrayIcon::DoubleClick:
            return TrayClick::Double;
        case QSystemTrayIcon::Context:
            return TrayClick::Right;
        default:
            return TrayClick::Middle;
        }
    }

    std::unique_ptr<QSystemTrayIcon> icon_;
    std::function<void(TrayClick)> onClick_;
};

} // namespace

TrayService& TrayService::real() {
    static SystemTray service;
    return service;
}

} // namespace zemble::platform
