#include "session/send_window.h"

#include "ui_frmSend.h"

#include "addressbook/contact_store.h"
#include "core/compose_host.h"
#include "core/message_parts.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "core/text.h"
#include "platform/message_box.h"
#include "platform/pause.h"
#include "session/operator_site.h"
#include "session/send_job.h"
#include "session/sent_log.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPointer>

namespace zemble {

namespace {
const QString kCancelCaption = QStringLiteral("Cancel");
const QString kEndCaption = QStringLiteral("End");
const QString kWindowTitle = QStringLiteral("Send messages");
} // namespace

SendWindow::SendWindow(OperatorSite& site, ComposeHost& compose, QWidget* parent)
    : QWidget(parent, Qt::Window), ui_(std::make_unique<Ui::frmSend>()), site_(site),
      compose_(compose) {
    ui_->setupUi(this);
    load_form();
    connect(ui_->cmdCancel, &QPushButton::clicked, this, &SendWindow::cmdCancel_Click);
    // The transport reports its transfer states ("Status: Connecting.") here.
    QPointer<QLabel> status = ui_->lblStatus;
    site_.set_status_listener([status](const QString& text) {
        if (status)
            status->setText(text);
    });
}

SendWindow::~SendWindow() {
    site_.set_status_listener({});
}

void SendWindow::load_form() {
    setWindowTitle(kWindowTitle);
    ui_->lblMessage->setText(QStringLiteral("Please wait ..."));
    ui_->lblDone->setText(QStringLiteral("0% completed"));
    ui_->lblStatus->setText(QStringLiteral("Status: "));
    ui_->cmdCancel->setText(kCancelCaption);
    ui_->pbMessage->setValue(0);
}

void SendWindow::set_step_text(const QString& text) {
    ui_->lblMessage->setText(text);
}

int SendWindow::check_send_limits() {
    using platform::Answer;
    using platform::Buttons;
    using platform::Icon;
    // Every entry must name someone to send to: one that does not would
    // otherwise be passed over without a word.
    const QStringList entries = split_recipients(compose_.toText());
    const QStringList unknown = entries_without_number(entries);
    if (!unknown.isEmpty()) {
        platform::message_box(QStringLiteral("Recipient alert"), no_number_text(unknown),
                              Icon::Exclamation);
        return 0;
    }
    const bool limitOn = !setting_is_yes(QStringLiteral("nosendlimit"));
    const int recipients = int(entries.size());
    if (limitOn && recipients > kMaxRecipients) {
        platform::message_box(QStringLiteral("Spam warning"), too_many_recipients_text(),
                              Icon::Exclamation);
        return 0;
    }
    const int total =
        count_message_parts(compose_.messageText(), compose_.sendMethodIndex()) * recipients;
    // Nothing would reach anyone: there is no message.  Going on would log on
    // and record the send as done.
    if (total == 0)
        return 0;
    if (limitOn && total > kWarnMessages) {
        const Answer answer =
            platform::message_box(QStringLiteral("Message warning"), message_warning_text(total),
                                  Icon::Information, Buttons::YesNo);
        if (answer != Answer::Yes)
            return 0;
    }
    if (limitOn && total > kMaxMessages) {
        platform::message_box(QStringLiteral("Spam warning"), too_many_messages_text(total),
                              Icon::Information);
        return 0;
    }
    const bool confirmation = !get_setting(QStringLiteral("confnumber"), "").isEmpty() &&
                              compose_.sendConfirmationChecked();
    const bool dontLogout = setting_is_yes(QStringLiteral("dontlogout"));
    return progress_steps(total, confirmation, dontLogout, session().logged_in);
}

void SendWindow::up_percentage() {
    QProgressBar* bar = ui_->pbMessage;
    if (bar->value() == bar->maximum())
        return;
    bar->setValue(bar->value() + 1);
    const QString text = percentage_text(bar->value(), bar->maximum());
    ui_->lblDone->setText(text);
    setWindowTitle(text);
}

void SendWindow::send_message() {
    if (running_)
        return;
    running_ = true;
    QPointer<SendWindow> alive(this);
    site_.reset_cancel();
    ui_->cmdCancel->setText(kCancelCaption);
    run_job();
    if (!alive)
        return;
    running_ = false;
    end_job();
}

bool SendWindow::run_job() {
    SessionState& state = session();
    OperatorSite& site = site_;
    QPointer<SendWindow> alive(this);
    // After every request: go on only while the window exists, Cancel has
    // not been pressed and the request succeeded.
    auto goOn = [&](bool ok) { return alive && !site.cancelled() && ok; };

    if (!setting_is_yes(QStringLiteral("dontlogout")))
        state.logged_in = false;
    const QString clip = get_setting(QStringLiteral("textclipchar"), "");

    set_step_text(QString());
    const QString zero = percentage_text(0, 1);
    ui_->lblDone->setText(zero);
    setWindowTitle(zero);
    ui_->pbMessage->setValue(0);

    const int steps = check_send_limits();
    if (steps == 0)
        return false;
    ui_->pbMessage->setMaximum(steps);

    // The compose window stays disabled for the whole job, so its texts are
    // those of the send.
    const QString to = compose_.toText();
    const QString message = compose_.messageText();
    const int method = compose_.sendMethodIndex();
    const bool paid = method != 0;
    const qint16 partLength = part_length_for(method);
    state.part_length = partLength;
    const QStringList parts = cut_parts(message, partLength, clip);
    const QString partCount = QString::number(parts.size());

    const bool keptSession = state.logged_in;
    if (!state.logged_in) {
        set_step_text(QStringLiteral("Logging onto O2 as '") + state.session_username +
                      QStringLiteral("' ..."));
        const bool ok = site.log_on(state.session_username, state.session_password);
        if (!goOn(ok))
            return false;
        up_percentage();
        if (setting_is_yes(QStringLiteral("dontlogout")))
            state.logged_in = true;
    }

    const QStringList entries = split_recipients(to);
    bool nothingSent = true;
    for (const QString& entry : entries) {
        const QString shown = trim_spaces(entry);
        const QString number = lookup_contact(shown);
        for (qsizetype k = 0; k < parts.size(); ++k) {
            set_step_text(QStringLiteral("Sending message part ") + QString::number(k + 1) +
                          QStringLiteral(" of ") + partCount + QStringLiteral(" to ") + shown +
                          QStringLiteral(" ..."));
            const bool ok = site.send_part(number, parts.at(k), paid);
            if (!goOn(ok)) {
                // A kept session that refuses the very first part has most
                // likely expired: the next job logs on afresh instead of
                // failing the same way for the rest of the run.
                if (alive && !site.cancelled() && keptSession && nothingSent)
                    state.logged_in = false;
                return false;
            }
            nothingSent = false;
            up_percentage();
        }
    }

    const QString confNumber = get_setting(QStringLiteral("confnumber"), "");
    if (!confNumber.isEmpty() && compose_.sendConfirmationChecked()) {
        set_step_text(QStringLiteral("Sending confirmation SMS to ") +
                      compose_.confNumberFieldText() + QStringLiteral(" ..."));
        const QString text = confirmation_text(entries.size(), message, partLength);
        const bool ok = site.send_part(confNumber, text, paid);
        if (!goOn(ok))
            return false;
        up_percentage();
    }

    // The site has confirmed every text: the send is remembered and logged
    // now, so that a Cancel during the quota check or the log-off, or a close
    // of this window, cannot leave a delivered send unrecorded.
    state.last_sent_key = to + message;
    state.last_sent_time = sent_time_text(QDateTime::currentDateTime());
    if (setting_is_yes(QStringLiteral("logsent")))
        log_sent_message(to, message, state.last_sent_time);

    set_step_text(QStringLiteral("Checking text message quota ..."));
    site.check_quota(); // the job goes on whatever the quota page said
    if (!goOn(true))
        return false;
    up_percentage();

    if (!setting_is_yes(QStringLiteral("dontlogout"))) {
        set_step_text(QStringLiteral("Logging out of O2 ..."));
        site.log_off();
        if (!goOn(true))
            return false;
        up_percentage();
    }

    set_step_text(QStringLiteral("Finished."));
    QCoreApplication::processEvents();
    if (!alive || site.cancelled())
        return true;
    // Keep the finished state on screen for a moment.
    repaint();
    platform::pause_blocking(2000);
    return true;
}

void SendWindow::end_job() {
    site_.unloadIE();
    // Cancel has already handed the compose window back.
    if (site_.cancelled())
        return;
    compose_.setComposeEnabled(true);
    hide();
    compose_.bringComposeToFront();
    compose_.updateStatusBar();
}

void SendWindow::cmdCancel_Click() {
    if (ui_->cmdCancel->text() == kEndCaption) {
        // Once is enough: ending the program may close this window again.
        if (end_requested_)
            return;
        end_requested_ = true;
        // Ends the log-off request in flight so nothing waits any longer.
        site_.cancel();
        emit programEndRequested();
        return;
    }
    site_.cancel();
    hide();
    compose_.setComposeEnabled(true);
    compose_.bringComposeToFront();
    compose_.updateStatusBar();
    compose_.repaintCompose();
}

void SendWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!isVisible())
        return;
    cmdCancel_Click();
    // Closed from its frame the window starts afresh next time it is shown.
    load_form();
}

void SendWindow::exit_log_off() {
    QPointer<SendWindow> alive(this);
    OperatorSite& site = site_;
    site.reset_cancel();
    end_requested_ = false;
    ui_->lblMessage->setText(QStringLiteral("Logging out of O2 and exiting ..."));
    ui_->cmdCancel->setText(kEndCaption);
    ui_->pbMessage->setMaximum(1);
    ui_->pbMessage->setValue(0);
    ui_->lblDone->setText(percentage_text(0, 1));
    // The window's own caption, not the percentage of the last send, in front.
    setWindowTitle(kWindowTitle);
    show();
    raise();
    activateWindow();
    site.log_off();
    if (!alive)
        return;
    // "End" during the log-off skips the finished state.
    if (!end_requested_) {
        ui_->lblMessage->setText(QStringLiteral("Finished."));
        ui_->pbMessage->setValue(1);
        ui_->lblDone->setText(QStringLiteral("100% complete"));
        platform::pause_after_events(1000);
        if (!alive)
            return;
    }
    site_.unloadIE();
}

} // namespace zemble
