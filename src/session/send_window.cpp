#include "session/send_window.h"

#include "ui_frmSend.h"

#include "compose/compose_host.h"
#include "platform/accessibility.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "platform/pause.h"
#include "session/job_settings.h"
#include "session/operator_site.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>

namespace zemble {

namespace {
const QString kCancelCaption = QStringLiteral("Cancel");
const QString kEndCaption = QStringLiteral("End");
const QString kWindowTitle = QStringLiteral("Send messages");
} // namespace

SendWindow::SendWindow(OperatorSite& site, ComposeHost& compose, SendJobContext context,
                       QWidget* parent)
    : QWidget(parent, Qt::Window), ui_(std::make_unique<Ui::frmSend>()), site_(site),
      compose_(compose), context_(context) {
    ui_->setupUi(this);
    platform::applyAccessibleRoles(this);
    loadForm();
    connect(ui_->cmdCancel, &QPushButton::clicked, this, &SendWindow::cmdCancel_Click);
    site_.setFront(&windowFront_);
    // The transport reports its transfer states ("Status: Connecting.") here;
    // a screen reader hears each new one once.
    QPointer<QLabel> status = ui_->lblStatus;
    site_.setStatusListener([status](const QString& text) {
        if (status)
            platform::announce(status, text);
    });
}

SendWindow::~SendWindow() {
    // A job still running stops at its next step, without this window.
    if (running_)
        active_->cancel();
    site_.setStatusListener({});
    site_.setFront(nullptr);
    setGateway(nullptr);
}

void SendWindow::setGateway(OperatorSite* gateway) {
    if (gateway_) {
        gateway_->setStatusListener({});
        gateway_->setFront(nullptr);
    }
    gateway_ = gateway;
    if (!gateway_)
        return;
    gateway_->setFront(&windowFront_);
    QPointer<QLabel> status = ui_->lblStatus;
    gateway_->setStatusListener([status](const QString& text) {
        if (status)
            platform::announce(status, text);
    });
}

void SendWindow::loadForm() {
    setWindowTitle(kWindowTitle);
    ui_->lblMessage->setText(QStringLiteral("Please wait ..."));
    ui_->lblDone->setText(QStringLiteral("0% completed"));
    ui_->lblStatus->setText(QStringLiteral("Status: "));
    ui_->cmdCancel->setText(kCancelCaption);
    ui_->pbMessage->setValue(0);
}

void SendWindow::setStepText(const QString& text) {
    ui_->lblMessage->setText(text);
}

SendOrder SendWindow::order() const {
    SendOrder order;
    order.to = compose_.toText();
    order.message = compose_.messageText();
    order.method = compose_.sendMethodIndex();
    order.confirmation = compose_.sendConfirmationChecked();
    // The field is only read for a copy that goes: reading it makes the
    // preferences dialog.
    if (order.confirmation && !context_.settings.confirmationNumber().isEmpty())
        order.confirmationShown = compose_.confNumberFieldText();
    order.done = compose_.sendAlreadyDone();
    return order;
}

void SendWindow::step(SendStep, const QString& text) {
    setStepText(text);
}

void SendWindow::progress(int value, int maximum) {
    QProgressBar* bar = ui_->pbMessage;
    if (maximum > 0)
        bar->setMaximum(maximum);
    bar->setValue(value);
    const QString text = percentageText(value, maximum);
    ui_->lblDone->setText(text);
    setWindowTitle(text);
}

void SendWindow::refuse(const JobMessage& message) {
    platform::messageBox(message.title, message.text,
                         message.warning ? platform::Icon::Exclamation
                                         : platform::Icon::Information);
}

bool SendWindow::goOn(const JobMessage& message) {
    return platform::messageBox(message.title, message.text, platform::Icon::Information,
                                platform::Buttons::YesNo) == platform::Answer::Yes;
}

void SendWindow::logNotSaved(const JobMessage& message) {
    refuse(message);
}

void SendWindow::finishedPause() {
    // Keep the finished state on screen for a moment.
    repaint();
    platform::pauseBlocking(2000);
}

void SendWindow::send_message() {
    run(site_);
}

void SendWindow::sendThroughGateway() {
    if (gateway_)
        run(*gateway_);
}

void SendWindow::run(OperatorSite& carrier) {
    if (running_)
        return;
    running_ = true;
    active_ = &carrier;
    QPointer<SendWindow> alive(this);
    carrier.resetCancel();
    ui_->cmdCancel->setText(kCancelCaption);
    // The compose window stays disabled for the whole job, so its fields are
    // those of the send.
    SendJob job(carrier, *this, *this, context_);
    const SendJob::Result result = job.run(order());
    if (!alive)
        return;
    running_ = false;
    lastResult_ = result;
    // The compose window remembers a send that stopped half way.
    compose_.sendJobEnded(job.record(), result == SendJob::Sent);
    endJob();
}

void SendWindow::endJob() {
    active_->unloadIE();
    // Cancel has already handed the compose window back.
    if (active_->cancelled())
        return;
    // Enabled before this window hides, so that the compose window is there
    // to take the focus as this one goes.
    compose_.giveComposeBack(ComposeHost::Repaint::No, [this] { hide(); });
}

void SendWindow::cmdCancel_Click() {
    if (ui_->cmdCancel->text() == kEndCaption) {
        // Once is enough: ending the program may close this window again.
        if (endRequested_)
            return;
        endRequested_ = true;
        // Ends the log-off request in flight so nothing waits any longer.
        site_.cancel();
        emit programEndRequested();
        return;
    }
    active_->cancel();
    hide();
    compose_.giveComposeBack(ComposeHost::Repaint::Last);
}

void SendWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!isVisible())
        return;
    cmdCancel_Click();
    // Closed from its frame the window starts afresh next time it is shown.
    loadForm();
}

void SendWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (ui_->cmdCancel->isEnabled())
            ui_->cmdCancel->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SendWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        platform::placeOverOpener(this);
}

void SendWindow::exitLogOff() {
    QPointer<SendWindow> alive(this);
    OperatorSite& site = site_;
    site.resetCancel();
    endRequested_ = false;
    ui_->lblMessage->setText(QStringLiteral("Logging out of O2 and exiting ..."));
    ui_->cmdCancel->setText(kEndCaption);
    ui_->pbMessage->setMaximum(1);
    ui_->pbMessage->setValue(0);
    ui_->lblDone->setText(percentageText(0, 1));
    // The window's own caption, not the percentage of the last send, in front.
    setWindowTitle(kWindowTitle);
    show();
    raise();
    activateWindow();
    site.log_off();
    if (!alive)
        return;
    // "End" during the log-off skips the finished state.
    if (!endRequested_) {
        ui_->lblMessage->setText(QStringLiteral("Finished."));
        ui_->pbMessage->setValue(1);
        ui_->lblDone->setText(QStringLiteral("100% complete"));
        platform::pauseAfterEvents(1000);
        if (!alive)
            return;
    }
    site_.unloadIE();
}

} // namespace zemble
