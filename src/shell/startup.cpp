#include "shell/startup.h"

#include "addressbook/contact_store.h"
#include "addressbook/contacts_window.h"
#include "compose/main_window.h"
#include "compose/name_chooser.h"
#include "core/send_route.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "core/version.h"
#include "platform/keyboard.h"
#include "platform/keyring.h"
#include "platform/message_box.h"
#include "platform/pause.h"
#include "platform/remembered_password.h"
#include "platform/service.h"
#include "session/kannel_gateway.h"
#include "session/operator_protocol.h"
#include "session/send_window.h"
#include "shell/about_window.h"
#include "shell/login_dialog.h"
#include "shell/preferences_dialog.h"
#include "shell/splash_window.h"

#include <QApplication>
#include <QDir>

#include <functional>

namespace zemble {

namespace {
constexpr int kSplashPause = 1500;

// Hands an ambiguous name to the chooser, which is made the first time.
class ChooserOnDemand final : public NameChooser {
public:
    explicit ChooserOnDemand(std::function<NameChooser&()> chooser)
        : chooser_(std::move(chooser)) {}
    QString Main(const QString& names, int num, const QString& original) override {
        return chooser_().Main(names, num, original);
    }

private:
    std::function<NameChooser&()> chooser_;
};
} // namespace

Program::Program(QString contactsFolder) : contactsFolder_(std::move(contactsFolder)) {}

Program::~Program() {
    // Windows that work for the compose window go before it.
    delete about_.data();
    login_.reset();
    gatewayLogin_.reset();
    chooser_.reset();
    addressBook_.reset();
    preferences_.reset();
    send_.reset();
    compose_.reset();
    chooserOnDemand_.reset();
}

void Program::Main() {
    QApplication::setWindowIcon(zembleIcon());
    setSettingsProblemHandler([](const QString& path, const QString& reason) {
        platform::messageBox(
            QStringLiteral("Settings not saved"),
            crlfLines({QStringLiteral("Zemble could not save its settings to the file"),
                       QDir::toNativeSeparators(path), reason,
                       QStringLiteral("Changed preferences, the remembered account and the quota "
                                      "figures are not kept while the file cannot be written.")}),
            platform::Icon::Exclamation);
    });
    const bool useSplash = !readSetting(setting::hideSplashScreen);
    std::unique_ptr<SplashWindow> splash;
    if (useSplash) {
        splash = std::make_unique<SplashWindow>();
        splash->show();
        platform::paintNow(splash.get());
        platform::pauseBlocking(kSplashPause);
    }

    setContactsProblemHandler([](const QString& title, const QString& text) {
        platform::messageBox(title, text, platform::Icon::Exclamation);
    });
    // The windowed program starts the user's own book when it leaves one
    // beside the program, so that the user is told of that only once.
    setContactsFolder(contactsFolder_.isEmpty() ? defaultContactsFolder(true) : contactsFolder_);
    load_contacts();
    // A password an older version scrambled into the settings file goes to
    // the desktop's keyring once one takes it.
    moveRememberedPasswordToKeyring(platform::use<platform::Keyring>());
    moveRememberedPasswordToKeyring(platform::use<platform::Keyring>(), AccountKind::Gateway);

    SessionState& state = session();
    state.logged_in = false;
    state.quota_free = readSetting(setting::quotaLeft);
    state.quota_paid = readSetting(setting::paidQuotaLeft);

    makeWindows();
    compose_->Form_Load();
    compose_->setWindowTitle(titleWithVersion());

    if (splash) {
        // The compose window is drawn first, then the splash in front of it.
        platform::paintNow(compose_.get());
        splash->show();
        splash->raise();
        platform::paintNow(splash.get());
        platform::pauseBlocking(kSplashPause);
        splash->close();
    }
}

void Program::makeWindows() {
    site_ = std::make_unique<OperatorProtocol>(session());
    compose_ = std::make_unique<MainWindow>();
    // The program's icon, painted once at the start of Main.
    compose_->setWindowIcon(QApplication::windowIcon());
    // The send-progress window and the chooser are made when first needed,
    // so that start-up builds only the window the user sees.
    chooserOnDemand_ =
        std::make_unique<ChooserOnDemand>([this]() -> NameChooser& { return nameChooser(); });
    compose_->recipientsField().setChooser(chooserOnDemand_.get());
    addressBook_ = std::make_unique<AddressBook>(*compose_, compose_.get());
    preferences_ = std::make_unique<PreferencesHolder>(compose_.get(), compose_.get());

    ComposeHooks windows;
    windows.showAddressBook = [this] { addressBook_->show(); };
    windows.showPreferences = [this] { preferences_->show(); };
    windows.showAbout = [this] { AboutWindow::showAbout(about_, compose_.get()); };
    windows.showLogin = [this](LoginFocus focus) { login().showForSend(focus); };
    windows.confNumberFieldText = [this] { return preferences_->confNumberFieldText(); };
    windows.sendMessage = [this] { sendMessage(); };
    windows.exitLogOff = [this] { sendWindow().exitLogOff(); };
    compose_->setWindows(std::move(windows));

    // Closing the compose window, or "End" during its final log-off, ends
    // the program.
    QObject::connect(compose_.get(), &MainWindow::programEndRequested, qApp,
                     &QCoreApplication::quit);
}

SendWindow& Program::sendWindow() {
    if (!send_) {
        send_ = std::make_unique<SendWindow>(*site_, *compose_,
                                             SendJobContext{jobSettings_, contacts(), session()});
        gateway_ = std::make_unique<KannelGateway>();
        send_->setGateway(gateway_.get());
        // The windows that work for the compose window stay above it.
        platform::stayAbove(send_.get(), compose_.get());
        QObject::connect(send_.get(), &SendWindow::programEndRequested, qApp,
                         &QCoreApplication::quit);
    }
    return *send_;
}

NameChooserWindow& Program::nameChooser() {
    if (!chooser_) {
        chooser_ = std::make_unique<NameChooserWindow>(*compose_);
        platform::stayAbove(chooser_.get(), compose_.get());
    }
    return *chooser_;
}

LoginDialog& Program::gatewayLogin() {
    if (!gatewayLogin_) {
        gatewayLogin_ = std::make_unique<LoginDialog>(
            *compose_, [this](const QString& username, const QString& password) {
                sendThroughGateway(username, password);
            });
        platform::stayAbove(gatewayLogin_.get(), compose_.get());
    }
    return *gatewayLogin_;
}

void Program::sendMessage() {
    if (sendRouteFromSetting(readSetting(setting::sendRoute)) != SendRoute::KannelGateway) {
        sendJobStarter(sendWindow())();
        return;
    }
    // The account given earlier in the run, else the remembered one; the
    // gateway's login asks for what is missing.
    const QString username =
        gatewayUsername_.isEmpty() ? readSetting(setting::gatewayUsername) : gatewayUsername_;
    QString password = gatewayUsername_ == username ? gatewayPassword_ : QString();
    if (password.isEmpty() && !username.isEmpty())
        password = readRememberedPassword(platform::use<platform::Keyring>(), username,
                                          AccountKind::Gateway)
                       .password;
    if (username.isEmpty() || password.isEmpty()) {
        gatewayLogin().showForSend(username.isEmpty() ? LoginFocus::Username
                                                      : LoginFocus::Password);
        return;
    }
    sendThroughGateway(username, password);
}

void Program::sendThroughGateway(const QString& username, const QString& password) {
    gatewayUsername_ = username;
    gatewayPassword_ = password;
    // Made with the send window.
    SendWindow& window = sendWindow();
    GatewayAccount account = gatewayAccountFromSettings(password);
    account.username = username;
    gateway_->setAccount(account);
    window.show();
    window.raise();
    window.repaint();
    window.sendThroughGateway();
    // A send that stopped on a failed request asks for the password again,
    // as the portal's error path does.
    if (window.lastResult() == SendJob::Stopped)
        gatewayPassword_.clear();
}

LoginDialog& Program::login() {
    if (!login_) {
        login_ =
            std::make_unique<LoginDialog>(*compose_, [this] { sendJobStarter(sendWindow())(); });
        platform::stayAbove(login_.get(), compose_.get());
    }
    return *login_;
}

} // namespace zemble
