#include "shell/about_window.h"

#include "ui_frmAbout.h"

#include "core/settings.h"
#include "core/version.h"
#include "platform/accessibility.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "platform/web_browser.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace zemble {
namespace {

inline constexpr int kIconSize = 48;

// The program's own icon when start-up has given it one; otherwise a plain
// envelope drawn here.
QPixmap programIcon() {
    const QIcon icon = QGuiApplication::windowIcon();
    if (!icon.isNull())
        return icon.pixmap(kIconSize, kIconSize);
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 0, 128), 2));
    painter.setBrush(QColor(255, 255, 224));
    const QRectF body(4, 10, kIconSize - 8, kIconSize - 20);
    painter.drawRect(body);
    painter.drawPolyline(QPolygonF{
        body.topLeft(), QPointF(body.center().x(), body.center().y() + 2), body.topRight()});
    return pixmap;
}

} // namespace

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::frmAbout>()) {
    ui_->setupUi(this);
    platform::applyAccessibleRoles(this);
    setAttribute(Qt::WA_DeleteOnClose);
    // The window opens with the caret on OK, so that Enter closes it; the link
    // is one Tab stop further on.
    ui_->cmdOK->setFocus();
    // Mouse moves without a button pressed colour the link.
    setMouseTracking(true);
    ui_->lblUrl->setMouseTracking(true);
    ui_->lblUrl->setCursor(Qt::PointingHandCursor);
    ui_->lblUrl->installEventFilter(this);
    QFont linkFont = ui_->lblUrl->font();
    linkFont.setUnderline(true);
    ui_->lblUrl->setFont(linkFont);

    connect(ui_->cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(ui_->cmdSysInfo, &QPushButton::clicked, this, &AboutWindow::StartSysInfo);

    Form_Load();
}

AboutWindow::~AboutWindow() = default;

void AboutWindow::Form_Load() {
    setWindowTitle(QStringLiteral("About ") + QLatin1String(kAppTitle));
    ui_->lblTitle->setText(titleWithVersion());
    ui_->lblRelease->setText(releaseLine());
    homePage_ = readSetting(setting::productHomePage);
    ui_->lblUrl->setText(homePage_);
    setLinkColour(kLinkColour);
    ui_->picIcon->setPixmap(programIcon());
    ui_->picIcon->setToolTip(readSetting(setting::noSendLimit)
                                 ? QStringLiteral("SMS sending limit disabled")
                                 : QString());
}

void AboutWindow::setLinkColour(QRgb colour) {
    QPalette palette = ui_->lblUrl->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, QColor(colour));
    ui_->lblUrl->setPalette(palette);
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->lblUrl) {
        switch (event->type()) {
        case QEvent::Enter:
            setLinkColour(kLinkHoverColour);
            break;
        case QEvent::MouseMove:
            // Kept from the window, whose own mouse moves colour the link dark blue.
            setLinkColour(kLinkHoverColour);
            return true;
        case QEvent::Leave:
            setLinkColour(kLinkColour);
            break;
        case QEvent::FocusIn:
            // The link with the caret shows as the link under the mouse does.
            setLinkColour(kLinkHoverColour);
            break;
        case QEvent::FocusOut:
            setLinkColour(kLinkColour);
            break;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space)
                break;
            lblUrl_Click();
            return true;
        }
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                ui_->lblUrl->rect().contains(mouse->position().toPoint()))
                lblUrl_Click();
            return true;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AboutWindow::mouseMoveEvent(QMouseEvent* event) {
    setLinkColour(kLinkColour);
    QDialog::mouseMoveEvent(event);
}

void AboutWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AboutWindow::lblUrl_Click() {
    // A failure to open the page is not reported.
    platform::openWebAddress(homePage_);
}

void AboutWindow::StartSysInfo() {
    if (!platform::startSystemInfoTool())
        platform::messageBox(QLatin1String(kAppTitle), QLatin1String(kSysInfoUnavailable),
                             platform::Icon::None, platform::Buttons::Ok);
}

AboutWindow* AboutWindow::showAbout(QPointer<AboutWindow>& window, QWidget* opener) {
    if (!window) {
        window = new AboutWindow;
        platform::stayAbove(window, opener);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace zemble
