#include "shell/splash_window.h"

#include "ui_frmSplash.h"

#include "core/version.h"

#include <QPainter>
#include <QPainterPath>
#include <QScreen>

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

QIcon zembleIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(zemblePicture(size));
    return icon;
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
