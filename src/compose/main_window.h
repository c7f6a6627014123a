#pragma once

#include "compose/compose_hooks.h"
#include "compose/compose_host.h"
#include "compose/recipients.h"
#include "compose/text_box_edit.h"
#include "compose/unfinished_send.h"
#include "core/send_route.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <optional>

class QAction;

namespace Ui {
class frmMain;
}

namespace zemble {

// The items of the compose window's File, Edit and Help menus, by the number
// their actions carry in the form (mnufile_N, mnuEdit_N, mnuHelp_N); the
// numbers left out are separators.
struct FileMenu {
    enum Item : int { NewMessage = 0, ClearRecipients = 1, ClearMessage = 2, Send = 4, Exit = 6 };
    static constexpr int kLast = Exit;
};
struct EditMenu {
    enum Item : int { Undo = 0, Cut = 2, Copy = 3, Paste = 4, Delete = 5, Preferences = 7 };
    static constexpr int kLast = Preferences;
};
struct HelpMenu {
    enum Item : int {
        Contents = 0,
        OperatorSite = 2,
        ZembleSite = 4,
        MessageBoard = 5,
        Guestbook = 6,
        About = 8,
    };
    static constexpr int kLast = About;
};

// The compose window `frmMain`, the program's main window: recipients, message,
// send method, Send, menus, the notification-area icon and the exit path.
class MainWindow : public QMainWindow, public ComposeHost {
    Q_OBJECT
public:
    explicit MainWindow(ComposeHooks windows = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Fills the window from the settings and shows it.
    void Form_Load();
    // Another start of the program for the same profile asks for this window:
    // it comes back from the notification area or the task bar, in front.
    void showFromAnotherStart();

    // The windows of other folders; a command whose window is missing is
    // disabled.  May be set again after load.
    void setWindows(ComposeHooks windows);
    // The route the window shows: the part count, the send methods and the
    // quota follow it.  Read from the settings at load and at every status
    // refresh, so a change in Preferences shows when its OK gives the
    // window back.
    SendRoute sendRoute() const { return route_; }
    RecipientsField& recipientsField() { return recipients_; }

    // Message composition.
    void txtMessage_Change();
    void txtMessage_LostFocus();
    void cmbSendMethod_Click();
    void update_status_bar();
    void new_message();
    void cmdSend_Click();
    void update_edit_menu();
    // Menu items by their number (FileMenu, EditMenu, HelpMenu).
    void mnufile_Click(int index);
    void mnuEdit_Click(int index);
    void mnuHelp_Click(int index);
    QAction* fileItem(int index) const;
    QAction* editItem(int index) const;
    QAction* helpItem(int index) const;

    // ComposeHost
    QString toText() const override;
    void setToText(const QString& text) override;
    QString messageText() const override;
    bool sendConfirmationChecked() const override;
    void setSendConfirmationEnabled(bool enabled) override;
    int sendMethodIndex() const override;
    QString confNumberFieldText() override;
    void setComposeEnabled(bool enabled) override;
    bool composeEnabled() const override;
    void bringComposeToFront() override;
    void repaintCompose() override;
    void updateStatusBar() override { update_status_bar(); }
    const SendRecord* sendAlreadyDone() const override;
    void sendJobEnded(const SendRecord& record, bool sent) override;

signals:
    // The window has closed for good: the program ends.
    void programEndRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    void applyWindows();
    void restoreFromTray();
    void cmdTo_Click();
    void txtTo_LostFocus();
    void limitMessageLength();
    // Takes up the route of the settings when it differs from the one shown.
    void followSendRoute();
    // The send-method list for the route: the two quotas of the operator's
    // site, or one disabled entry naming the gateway, which has no quotas.
    void fillSendMethods();
    // Whether the field losing the caret is being left (see the filter).
    bool caretMovesOn(const QWidget* field) const;
    // Asks about a send of these texts that stopped half way, if there is
    // one; false when the user cancels.
    bool askAboutUnfinishedSend();

    std::unique_ptr<Ui::frmMain> ui_;
    ComposeHooks windows_;
    cTextBoxEdit edit_;
    RecipientsField recipients_;
    // The control that had the caret when the window was disabled.
    QPointer<QWidget> caretBeforeDisable_;
    bool closing_ = false;
    SendRoute route_ = SendRoute::OperatorSite;
    bool routeShown_ = false;
    // A send of the texts that stopped half way, for this run only, and what
    // the coming job leaves out of it.
    UnfinishedSend unfinished_;
    std::optional<SendRecord> leaveOut_;
};

} // namespace zemble
