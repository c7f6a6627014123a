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
//
// The same dialog asks for the SMS gateway's sendsms account when texts go through the gateway
// (the second constructor): titled "SMS Gateway Login", its boxes filled the first time from the
// remembered gateway account (settings and keyring), the same trimming and "Login error" check.
// Login hands the account to the caller, which keeps it for the run; the dialog keeps what was
// typed in its boxes, as for the portal.  Cancel gives the compose window back and sends nothing.
class LoginDialog : public QDialog {
    Q_OBJECT
public:
    // `startSend` shows the send-progress window and runs the whole send job;
    // it returns when the job has ended and the compose window is given back.
    LoginDialog(ComposeHost& compose, std::function<void()> startSend, QWidget* parent = nullptr);

    // The gateway's login.  The caller disables the compose window (the Send command does) and
    // shows the dialog with showForSend(); Login calls `startGatewaySend` with the trimmed,
    // non-empty user name and password, after the dialog has hidden.  `startGatewaySend` runs
    // the send and gives the compose window back when it ends; without one, Login gives it back.
    using GatewaySend = std::function<void(const QString& username, const QString& password)>;
    LoginDialog(ComposeHost& compose, GatewaySend startGatewaySend, QWidget* parent = nullptr);
    ~LoginDialog() override;

    // Whether this dialog asks for the gateway's account.
    bool forGateway() const { return gateway_; }

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
    GatewaySend startGatewaySend_;
    bool gateway_ = false;
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
