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
    // Asks the limit questions; the progress steps of the coming job, 0 when
    // it must not go on.
    int check_send_limits();
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
    // The texts the window has when it is first shown.
    void load_form();
    void set_step_text(const QString& text);
    // Runs the job proper; false when it ended early.
    bool run_job();
    // What every job does last: close the page display and give the compose
    // window back, unless Cancel has already given it back.
    void end_job();

    std::unique_ptr<Ui::frmSend> ui_;
    OperatorSite& site_;
    ComposeHost& compose_;
    bool running_ = false;
    bool end_requested_ = false;
};

} // namespace zemble
