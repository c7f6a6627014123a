#include "shell/splash_window.h"

#include "ui_frmSplash.h"

#include "core/version.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <optional>

namespace zemble {

QPixmap zemblePicture(int size) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // A blue tile with a white speech bubble carrying a "Z".
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x4e, 0x9c));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(10, 12, 44, 32), 8, 8);
    QPainterPath tail;
    tail.moveTo(20, 42);
    tail.lineTo(16, 54);
    tail.lineTo(30, 43);
    tail.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(bubble.united(tail));
    QPen stroke(QColor(0x1f, 0x4e, 0x9c), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(stroke);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(22, 20), QPointF(42, 20), QPointF(22, 36), QPointF(42, 36)}));
    return picture;
}

namespace {

// The sizes the program's icon is drawn in.
constexpr int kIconSizes[] = {16, 32, 48, 64, 128};

QIcon paintedIcon() {
    QIcon icon;
    for (int size : kIconSizes)
        icon.addPixmap(zemblePicture(size));
    return icon;
}

// Draws the icon's pictures only when they are asked for: start-up sets the
// icon but shows it only at 16 pixels, and a platform that shows no window
// icons never asks for the others.  A picture at one of its own sizes, as it
// stands, is drawn alone; anything else draws them all and answers as the
// icon made of them does.
class DeferredIconEngine final : public QIconEngine {
public:
    DeferredIconEngine() : drawn_(std::make_shared<Drawn>()) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        if (mode == QIcon::Normal && state == QIcon::Off && ownSize(size)) {
            QPixmap& picture = drawn_->pictures[size.width()];
            if (picture.isNull())
                picture = zemblePicture(size.width());
            return picture;
        }
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    QIconEngine* clone() const override { return new DeferredIconEngine(*this); }
    QString key() const override { return QStringLiteral("ZembleDeferredIcon"); }
    bool isNull() override { return false; }

private:
    struct Drawn {
        std::map<int, QPixmap> pictures;
        std::optional<QIcon> icon;
    };
    static bool ownSize(const QSize& size) {
        return size.width() == size.height() &&
               std::find(std::begin(kIconSizes), std::end(kIconSizes), size.width()) !=
                   std::end(kIconSizes);
    }
    const QIcon& icon() {
        if (!drawn_->icon)
            drawn_->icon = paintedIcon();
        return *drawn_->icon;
    }
    // Shared by the copies Qt makes, so that each picture is drawn once.
    std::shared_ptr<Drawn> drawn_;
};

} // namespace

QIcon zembleIcon() {
    return QIcon(new DeferredIconEngine);
}

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      ui_(std::make_unique<Ui::frmSplash>()) {
    ui_->setupUi(this);
    ui_->imgPicture->setPixmap(zemblePicture(128));
    Form_Load();
    // In the middle of the screen, whatever the window manager would choose.
    adjustSize();
    if (const QScreen* shown = screen())
        move(shown->availableGeometry().center() - rect().center());
}

SplashWindow::~SplashWindow() = default;

void SplashWindow::Form_Load() {
    ui_->lblVersion->setText(splashVersionLine());
    ui_->lblRelease->setText(releaseLine());
}

} // namespace zemble
