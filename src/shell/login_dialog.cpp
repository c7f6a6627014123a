#include "shell/login_dialog.h"

#include "ui_frmLogin.h"

#include "compose/compose_host.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "core/text.h"
#include "platform/help.h"
#include "platform/keyring.h"
#include "platform/message_box.h"
#include "platform/remembered_password.h"
#include "platform/service.h"

#include <QCloseEvent>

namespace zemble {

LoginDialog::LoginDialog(ComposeHost& compose, std::function<void()> startSend, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmLogin>()), compose_(compose),
      startSend_(std::move(startSend)) {
    ui_->setupUi(this);
    connect(ui_->cmdLogin, &QPushButton::clicked, this, &LoginDialog::cmdLogin_Click);
    connect(ui_->cmdCancel, &QPushButton::clicked, this, &LoginDialog::cmdCancel_Click);
    connect(ui_->cmdHelp, &QPushButton::clicked, this, &LoginDialog::cmdHelp_Click);
}

LoginDialog::LoginDialog(ComposeHost& compose, GatewaySend startGatewaySend, QWidget* parent)
    : LoginDialog(compose, std::function<void()>(), parent) {
    startGatewaySend_ = std::move(startGatewaySend);
    gateway_ = true;
    setWindowTitle(QStringLiteral("SMS Gateway Login"));
    ui_->lblNote->setText(
        QStringLiteral("Please enter the user name and password of your SMS gateway account. Any "
                       "details that you enter here will be remembered for future SMS' until you "
                       "exit the program."));
}

LoginDialog::~LoginDialog() = default;

void LoginDialog::showForSend(LoginFocus focus) {
    if (!loaded_)
        Form_Load();
    show();
    raise();
    activateWindow();
    switch (focus) {
    case LoginFocus::Username:
        ui_->txtUsername->setFocus();
        break;
    case LoginFocus::Password:
        ui_->txtPassword->setFocus();
        break;
    case LoginFocus::DialogDefault:
        break;
    }
}

void LoginDialog::Form_Load() {
    loaded_ = true;
    compose_.setComposeEnabled(false);
    if (gateway_) {
        const QString username = readSetting(setting::gatewayUsername);
        ui_->txtUsername->setText(username);
        ui_->txtPassword->setText(readRememberedPassword(platform::use<platform::Keyring>(),
                                                         username, AccountKind::Gateway)
                                      .password);
        return;
    }
    const SessionState& state = session();
    ui_->txtUsername->setText(!state.session_username.isEmpty()
                                  ? state.session_username
                                  : readSetting(setting::wispUsername));
    ui_->txtPassword->setText(!state.session_password.isEmpty()
                                  ? state.session_password
                                  : readRememberedPassword(platform::use<platform::Keyring>(),
                                                           readSetting(setting::wispUsername))
                                        .password);
}

void LoginDialog::cmdLogin_Click() {
    ui_->txtUsername->setText(trimSpaces(ui_->txtUsername->text()));
    ui_->txtPassword->setText(trimSpaces(ui_->txtPassword->text()));
    if (ui_->txtUsername->text().isEmpty() || ui_->txtPassword->text().isEmpty()) {
        platform::messageBox(QStringLiteral("Login error"),
                             QStringLiteral("Please enter a valid username and password"),
                             platform::Icon::Information);
        return;
    }

    if (gateway_) {
        hide();
        if (startGatewaySend_)
            startGatewaySend_(ui_->txtUsername->text(), ui_->txtPassword->text());
        else
            compose_.giveComposeBack(ComposeHost::Repaint::BeforeFront);
        return;
    }
    session().session_username = ui_->txtUsername->text();
    session().session_password = ui_->txtPassword->text();
    hide();
    if (startSend_) {
        startSend_();
    } else {
        // Without a send job to run, the compose window must not stay locked.
        compose_.giveComposeBack(ComposeHost::Repaint::BeforeFront);
    }
}

void LoginDialog::cmdCancel_Click() {
    hide();
    // This dialog repaints the compose window before it comes to the front
    // (here and after a login without a send); the others repaint last.
    compose_.giveComposeBack(ComposeHost::Repaint::BeforeFront);
}

void LoginDialog::cmdHelp_Click() {
    platform::show_help_topic(platform::topics::login);
}

void LoginDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (isVisible())
        cmdCancel_Click();
}

void LoginDialog::reject() {
    if (isVisible())
        cmdCancel_Click();
}

} // namespace zemble
