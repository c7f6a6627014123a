#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class frmSend;
}

namespace zemble {

class ComposeHost;
class OperatorSite;

// The send-progress window and the send job that runs in it.
class SendWindow : public QWidget {
    Q_OBJECT
public:
    SendWindow(OperatorSite& site, ComposeHost& compose, QWidget* parent = nullptr);
    ~SendWindow() override;

    // One whole send.  The caller has disabled the compose window, shown this
    // window and filled the session's user name and password.  Returns when
    // the job has ended and the compose window has been given back.
    void send_message();
    // Progress steps of the coming job; 0 means it must not go on.
    qint16 check_send_limits();
    void up_percentage();

    // The compose window's exit path with a kept portal session: a visible
    // log-off ("Logging out of O2 and exiting ...") with an "End" button.
    void exit_log_off();

signals:
    // The "End" button: the program must end at once.
    void programEndRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void cmdCancel_Click();
    // (the job's own state lives here)
    std::unique_ptr<Ui::frmSend> ui_;
    OperatorSite& site_;
    ComposeHost& compose_;
};

} // namespace zemble
