#pragma once

#include "session/send_job.h"
#include "session/windowed_transport_front.h"

#include <QWidget>

#include <memory>

namespace Ui {
class frmSend;
}

namespace zemble {

class ComposeHost;
class OperatorSite;

// The send-progress window `frmSend`: the send job's front end in the windowed
// program.  It shows each step and the progress, asks the job's questions in
// message boxes, and gives the site its error window.
class SendWindow : public QWidget, private SendJobListener, private SendJobQuestions {
    Q_OBJECT
public:
    // Each job sends through `site` and works with `context`; both outlive
    // the window.
    SendWindow(OperatorSite& site, ComposeHost& compose, SendJobContext context,
               QWidget* parent = nullptr);
    ~SendWindow() override;

    // One whole send.  The caller has disabled the compose window, shown this
    // window and filled the session's user name and password.  Returns when
    // the job has ended and the compose window has been given back.
    void send_message();
    // The same through the SMS gateway, whose account the caller has set.
    void sendThroughGateway();
    // The gateway the window sends through when asked to; not owned.  Its
    // failed requests come to this window's error window too.
    void setGateway(OperatorSite* gateway);
    // How the last job ended.
    SendJob::Result lastResult() const { return lastResult_; }

    // The compose window's exit path with a kept portal session: a visible
    // log-off ("Logging out of O2 and exiting ...") with an "End" button.
    void exitLogOff();

signals:
    // The "End" button: the program must end at once.
    void programEndRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape presses the window's one button, as Cancel (or End) does.
    void keyPressEvent(QKeyEvent* event) override;
    // Each time it is shown the window is placed over the window it works for.
    void showEvent(QShowEvent* event) override;

private:
    void cmdCancel_Click();
    // The texts the window has when it is first shown.
    void loadForm();
    void setStepText(const QString& text);
    // The compose window's fields as the job takes them.
    SendOrder order() const;
    // What every job does last: close the page display and give the compose
    // window back, unless Cancel has already given it back.
    void endJob();

    // SendJobListener
    void step(SendStep step, const QString& text) override;
    void progress(int value, int maximum) override;
    // SendJobQuestions
    void refuse(const JobMessage& message) override;
    bool goOn(const JobMessage& message) override;
    void logNotSaved(const JobMessage& message) override;
    void finishedPause() override;

    std::unique_ptr<Ui::frmSend> ui_;
    // One whole send through `carrier`.
    void run(OperatorSite& carrier);

    OperatorSite& site_;
    OperatorSite* gateway_ = nullptr;
    // The carrier of the job under way, or of the last one.
    OperatorSite* active_ = &site_;
    SendJob::Result lastResult_ = SendJob::Refused;
    ComposeHost& compose_;
    SendJobContext context_;
    WindowedTransportFront windowFront_;
    bool running_ = false;
    bool endRequested_ = false;
};

} // namespace zemble
