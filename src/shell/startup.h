#pragma once

#include "session/job_settings.h"

#include <QPointer>
#include <QString>

#include <memory>

namespace zemble {

class AboutWindow;
class AddressBook;
class KannelGateway;
class LoginDialog;
class MainWindow;
class NameChooser;
class NameChooserWindow;
class OperatorProtocol;
class PreferencesHolder;
class SendWindow;

// The whole program: start-up, and the windows it keeps for the run.
class Program {
public:
    // `contactsFolder` is where the address book file lives; empty means
    // the program's usual folder.
    explicit Program(QString contactsFolder = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Start-up: splash (unless switched off), address book, session state,
    // the compose window with its title.  Returns once the compose window is
    // up; the program then lives in its windows' events.
    void Main();

    // The compose window, once Main has made it.
    MainWindow* composeWindow() const { return compose_.get(); }
    // The send-progress window and the name chooser, made when first needed
    // (a send, a typed name that several contacts begin with) and kept for
    // the run.  Only after Main.
    SendWindow& sendWindow();
    NameChooserWindow& nameChooser();

private:
    void makeWindows();
    LoginDialog& login();
    // The gateway's login, asking for its account at Send.
    LoginDialog& gatewayLogin();
    // Send through the route the settings choose.
    void sendMessage();
    // A send through the SMS gateway as `username` with `password`.
    void sendThroughGateway(const QString& username, const QString& password);

    QString contactsFolder_;
    StoredJobSettings jobSettings_;
    std::unique_ptr<OperatorProtocol> site_;
    std::unique_ptr<MainWindow> compose_;
    std::unique_ptr<SendWindow> send_;
    std::unique_ptr<LoginDialog> login_;
    std::unique_ptr<KannelGateway> gateway_;
    std::unique_ptr<LoginDialog> gatewayLogin_;
    // The gateway account of this run, once given (kept like the portal's
    // in the session; a failed send forgets the password).
    QString gatewayUsername_;
    QString gatewayPassword_;
    std::unique_ptr<NameChooserWindow> chooser_;
    // What the To field asks when a name is ambiguous: makes the chooser.
    std::unique_ptr<NameChooser> chooserOnDemand_;
    std::unique_ptr<AddressBook> addressBook_;
    std::unique_ptr<PreferencesHolder> preferences_;
    // Discards itself when closed (OK, Escape or its frame).
    QPointer<AboutWindow> about_;
};

} // namespace zemble
