#pragma once

#include <functional>

#include <QString>

namespace zemble {

// Where the login dialog puts the caret when the Send command opens it.
enum class LoginFocus { DialogDefault, Username, Password };

// Hooks to the windows of other folders that the compose window opens.  The application
// shell fills these in at start-up; a command whose window is not provided
// stays visibly disabled.
struct ComposeHooks {
    std::function<void()> showAddressBook; // To.. button
    std::function<void()> showPreferences; // Edit > Preferences...
    std::function<void()> showAbout;       // Help > About Zemble...
    std::function<void(LoginFocus)> showLogin;
    // Send with a known account: shows the send-progress window and runs the
    // whole send job; returns when the job has ended.  Through the SMS
    // gateway Send calls it at once: the job asks for the gateway's account
    // itself when none is remembered.
    std::function<void()> sendMessage;
    // The exit path's visible log-off of a portal session kept open.
    std::function<void()> exitLogOff;
    // Text of the preferences dialog's confirmation-number field (the dialog
    // is created hidden when it does not exist yet).
    std::function<QString()> confNumberFieldText;
};

} // namespace zemble
