#include "session/error_window.h"

#include "platform/accessibility.h"
#include "platform/help.h"
#include "ui_frmBrowser.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QStyle>

namespace zemble {

ErrorWindow::ErrorWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), ui_(std::make_unique<Ui::frmBrowser>()) {
    ui_->setupUi(this);
    platform::applyAccessibleRoles(this);
    ui_->picIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    ui_->lblDelivered->hide();
    siteError_ = ui_->lblError->text();
    siteAdvice_ = ui_->Label1->text();
    connect(ui_->cmdRetry, &QPushButton::clicked, this, [this] { choose(Retry); });
    connect(ui_->cmdIgnore, &QPushButton::clicked, this, [this] { choose(Ignore); });
    connect(ui_->cmdAbort, &QPushButton::clicked, this, [this] { choose(Abort); });
    connect(ui_->cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
    describe();
}

ErrorWindow::~ErrorWindow() = default;

void ErrorWindow::showDeliveryWarning(bool shown) {
    ui_->lblDelivered->setVisible(shown);
    describe();
}

void ErrorWindow::showGatewayProblem(const QString& problem) {
    ui_->lblError->setText(problem.isEmpty() ? siteError_ : problem);
    ui_->Label1->setText(
        problem.isEmpty()
            ? siteAdvice_
            : QStringLiteral("The gateway's user name or password may be wrong, the number may be "
                             "invalid, or the gateway may be down or not set up to send this "
                             "message. Its address and account are in Preferences."));
    describe();
}

void ErrorWindow::describe() {
    QStringList texts;
    for (const QLabel* label : {ui_->lblError, ui_->Label1, ui_->lblDelivered, ui_->Label2})
        if (!label->isHidden())
            texts.append(label->text());
    setAccessibleDescription(texts.join(u' '));
}

void ErrorWindow::choose(Choice choice) {
    choice_ = choice;
    emit choiceMade(choice);
}

void ErrorWindow::cmdHelp_Click() {
    platform::show_help_topic(QString::fromLatin1(platform::topics::sendError));
}

void ErrorWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ui_->cmdAbort->setFocus(Qt::OtherFocusReason);
}

void ErrorWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ErrorWindow::closeEvent(QCloseEvent* event) {
    // The window is kept for the next error; closing it from the frame while
    // the user is asked gives up like Abort All.
    event->ignore();
    hide();
    if (choice_ == None)
        choose(Abort);
}

} // namespace zemble
