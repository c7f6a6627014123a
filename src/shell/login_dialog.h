#pragma once

#include "compose/compose_hooks.h"
#include "session/send_window.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class frmLogin;
}

namespace zemble {

class ComposeHost;

// The login dialog `frmLogin`, "Wisp Login": asks for the portal account when the Send command does
// not know it, keeps it in the session for the rest of the run and starts the send.  Created once
// and only ever hidden, so the boxes keep what was typed. Enter is Login, Escape is Cancel.
class LoginDialog : public QDialog {
    Q_OBJECT
public:
    // `startSend` shows the send-progress window and runs the whole send job;
    // it returns when the job has ended and the compose window is given back.
    LoginDialog(ComposeHost& compose, std::function<void()> startSend, QWidget* parent = nullptr);
    ~LoginDialog() override;

    // Shows the dialog (not modal) for a send, with the caret where `focus`
    // says.  The first showing of the run fills the boxes.
    void showForSend(LoginFocus focus);

    void Form_Load();
    void cmdLogin_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

protected:
    // A close from the window frame, and Escape, act as Cancel; the dialog is kept.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    std::unique_ptr<Ui::frmLogin> ui_;
    ComposeHost& compose_;
    std::function<void()> startSend_;
    bool loaded_ = false;
};

// The usual `startSend` of the login dialog: show the send-progress window,
// bring it to the front, repaint it and run its send job.
inline std::function<void()> sendJobStarter(SendWindow& window) {
    return [&window] {
        window.show();
        window.raise();
        window.repaint();
        window.send_message();
    };
}

} // namespace zemble
