#include "compose/main_window.h"

#include "ui_frmMain.h"

#include "addressbook/contact_store.h"
#include "compose/compose_logic.h"
#include "core/message_parts.h"
#include "core/session_state.h"
#include "core/settings.h"
#include "core/sms_segments.h"
#include "platform/accessibility.h"
#include "platform/help.h"
#include "platform/keyboard.h"
#include "platform/keyring.h"
#include "platform/message_box.h"
#include "platform/remembered_password.h"
#include "platform/service.h"
#include "platform/tray.h"
#include "platform/web_browser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPalette>
#include <QTextCursor>

namespace zemble {

namespace {
constexpr auto kTrayTip = "Zemble";
// The send-method list and the quota label while texts go through the gateway.
constexpr auto kGatewayMethodText = "Sent through the SMS gateway";
constexpr auto kGatewayQuotaText = "not reported by the SMS gateway";

SendRoute storedSendRoute() {
    return sendRouteFromSetting(readSetting(setting::sendRoute));
}

QString signatureSetting() {
    return readSetting(setting::signature);
}

void caretToStart(QPlainTextEdit* box) {
    QTextCursor start = box->textCursor();
    start.movePosition(QTextCursor::Start);
    box->setTextCursor(start);
}

// A click whose press took the caret out of a field.  Leaving the field may
// ask a question (the name chooser) while the button is still held: the
// release then reaches a disabled window and is lost, and the press reaches
// the button only once the question is answered.  While the field is being
// left this watches for that release; afterwards, once the press has been
// delivered, it finishes the click the user made.
class ClickCompletion final : public QObject {
public:
    ClickCompletion(const QWidget* window, QAbstractButton* button)
        : window_(window), button_(button) {
        if (button_)
            qApp->installEventFilter(this);
    }
    ~ClickCompletion() override {
        if (!released_ || !button_)
            return;
        QPointer<QAbstractButton> button = button_;
        QMetaObject::invokeMethod(
            button,
            [button] {
                if (button && button->isDown() && button->isEnabled()) {
                    button->setDown(false);
                    button->click();
                }
            },
            Qt::QueuedConnection);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            const auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && widget->window() == window_)
                released_ = true;
        }
        return false;
    }

private:
    const QWidget* window_;
    QPointer<QAbstractButton> button_;
    bool released_ = false;
};
} // namespace

MainWindow::MainWindow(ComposeHooks windows, QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<Ui::frmMain>()), windows_(std::move(windows)),
      recipients_(contacts()) {
    ui_->setupUi(this);
    platform::applyAccessibleRoles(this);
    connectControls();
    applyWindows();
}

MainWindow::~MainWindow() {
    // The icon must not outlive the window it restores.
    auto& tray = platform::use<platform::TrayService>();
    if (tray.iconShown())
        tray.removeIcon();
}

void MainWindow::setWindows(ComposeHooks windows) {
    windows_ = std::move(windows);
    applyWindows();
}

void MainWindow::applyWindows() {
    // Commands whose window is not there yet stay visibly disabled.
    ui_->cmdTo->setEnabled(bool(windows_.showAddressBook));
    editItem(EditMenu::Preferences)->setEnabled(bool(windows_.showPreferences));
    helpItem(HelpMenu::About)->setEnabled(bool(windows_.showAbout));
    ui_->cmdSend->setEnabled(bool(windows_.sendMessage));
    fileItem(FileMenu::Send)->setEnabled(bool(windows_.sendMessage));
}

void MainWindow::connectControls() {
    connect(ui_->txtMessage, &QPlainTextEdit::textChanged, this, [this] {
        limitMessageLength();
        unfinished_.forgetUnless(toText(), messageText());
        txtMessage_Change();
    });
    connect(ui_->txtTo, &QLineEdit::textChanged, this,
            [this] { unfinished_.forgetUnless(toText(), messageText()); });
    connect(ui_->cmbSendMethod, &QComboBox::currentIndexChanged, this,
            [this] { cmbSendMethod_Click(); });
    connect(ui_->cmdSend, &QPushButton::clicked, this, [this] { cmdSend_Click(); });
    connect(ui_->cmdNewMessage, &QPushButton::clicked, this, [this] { new_message(); });
    connect(ui_->cmdHelp, &QPushButton::clicked, this,
            [] { platform::show_help_topic(QLatin1String(platform::topics::main)); });
    connect(ui_->cmdQuit, &QPushButton::clicked, this, [this] { close(); });
    connect(ui_->cmdTo, &QPushButton::clicked, this, [this] { cmdTo_Click(); });
    connect(ui_->mnuEditTop, &QMenu::aboutToShow, this, [this] { update_edit_menu(); });
    for (int i = 0; i <= FileMenu::kLast; ++i)
        if (QAction* a = fileItem(i))
            connect(a, &QAction::triggered, this, [this, i] { mnufile_Click(i); });
    for (int i = 0; i <= EditMenu::kLast; ++i)
        if (QAction* a = editItem(i))
            connect(a, &QAction::triggered, this, [this, i] { mnuEdit_Click(i); });
    for (int i = 0; i <= HelpMenu::kLast; ++i)
        if (QAction* a = helpItem(i))
            connect(a, &QAction::triggered, this, [this, i] { mnuHelp_Click(i); });
    ui_->txtMessage->installEventFilter(this);
    ui_->txtTo->installEventFilter(this);
    ui_->cmdTo->installEventFilter(this);
    for (QMenu* menu : {ui_->mnuFileTop, ui_->mnuEditTop, ui_->mnuHelpTop})
        platform::skipDisabledMnemonics(menu);
}

QAction* MainWindow::fileItem(int index) const {
    return findChild<QAction*>(QStringLiteral("mnufile_%1").arg(index));
}
QAction* MainWindow::editItem(int index) const {
    return findChild<QAction*>(QStringLiteral("mnuEdit_%1").arg(index));
}
QAction* MainWindow::helpItem(int index) const {
    return findChild<QAction*>(QStringLiteral("mnuHelp_%1").arg(index));
}

void MainWindow::Form_Load() {
    route_ = storedSendRoute();
    routeShown_ = true;
    fillSendMethods();
    cmbSendMethod_Click();

    show();
    repaint();

    edit_.TextBox(ui_->txtMessage);
    if (!windowIcon().isNull())
        ui_->Image1->setPixmap(windowIcon().pixmap(16, 16));

    const QString signature = signatureSetting();
    session().last_sent_key = signature;
    ui_->txtMessage->setPlainText(signature);
    caretToStart(ui_->txtMessage);

    ui_->chkSendConfirmation->setEnabled(!readSetting(setting::confNumber).isEmpty());
    ui_->chkSendConfirmation->setChecked(readSetting(setting::defaultSmsConf));
    update_status_bar();
}

void MainWindow::fillSendMethods() {
    auto* methods = ui_->cmbSendMethod;
    const QSignalBlocker quiet(methods);
    methods->clear();
    if (route_ == SendRoute::KannelGateway) {
        methods->addItem(QLatin1String(kGatewayMethodText));
        methods->setEnabled(false);
        return;
    }
    methods->addItems({QStringLiteral("Use free quota"), QStringLiteral("Use paid quota")});
    methods->setCurrentIndex(sendTypeIndex(readSetting(setting::sendType)));
    methods->setEnabled(true);
}

void MainWindow::followSendRoute() {
    const SendRoute route = storedSendRoute();
    if (routeShown_ && route == route_)
        return;
    route_ = route;
    routeShown_ = true;
    fillSendMethods();
    txtMessage_Change();
}

void MainWindow::txtMessage_Change() {
    const QString text = messageText();
    if (text.isEmpty()) {
        ui_->lblStats->setText(statsText(0, 0));
        return;
    }
    // The gateway cuts the text into SMS as the phone network does; the
    // operator's site into parts of the send method's length.
    const qint16 parts =
        route_ == SendRoute::KannelGateway
            ? qint16(countSmsSegments(text).parts)
            : setPartLengthAndCount(text, sendMethodIndex(), session().part_length);
    ui_->lblStats->setText(statsText(text.size(), parts));
    update_status_bar();
    update_edit_menu();
}

void MainWindow::limitMessageLength() {
    // Counted as the statistics line counts: a line break is two characters.
    qsizetype excess = messageText().size() - kMaxMessageLength;
    if (excess <= 0)
        return;
    auto* box = ui_->txtMessage;
    const QString text = box->toPlainText();
    // Take back the end of what was just typed or pasted (the characters
    // before the caret), in the same undo step as the typing or pasting.
    QTextCursor cursor = box->textCursor();
    int end = cursor.position();
    if (end == 0)
        end = int(text.size());
    int start = end;
    while (excess > 0 && start > 0) {
        --start;
        excess -= text.at(start) == u'\n' ? 2 : 1;
    }
    if (start > 0 && text.at(start).isLowSurrogate())
        --start;
    cursor.joinPreviousEditBlock();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.endEditBlock();
    box->setTextCursor(cursor);
}

void MainWindow::txtMessage_LostFocus() {
    // The gateway takes any character (in UCS-2 when it must); only the
    // operator's site needs the text cleaned.
    if (route_ == SendRoute::KannelGateway)
        return;
    const QString text = ui_->txtMessage->toPlainText();
    const QString cleaned = cleanMessageText(text);
    if (cleaned != text)
        ui_->txtMessage->setPlainText(cleaned);
}

void MainWindow::cmbSendMethod_Click() {
    txtMessage_Change();
    // The gateway's one entry is no send method: the stored one is kept for
    // the operator's site.
    if (route_ == SendRoute::KannelGateway)
        return;
    // Choosing the method already stored (as every start-up does) leaves the
    // settings file alone.
    const int method = ui_->cmbSendMethod->currentIndex();
    if (storedSettingText(QLatin1String(setting::sendType.key)) != QString::number(method))
        writeSetting(setting::sendType, method);
}

void MainWindow::update_status_bar() {
    followSendRoute();
    const SessionState& state = session();
    const bool notSent =
        messageNotSent(signatureSetting(), state.last_sent_key, toText(), messageText());
    const SendRecord* unfinished = unfinished_.matching(toText(), messageText());
    // Both change while the caret is elsewhere: a screen reader is told each
    // new text.
    platform::announce(ui_->lblInformation, unfinished
                                                ? unfinishedInformationText(*unfinished)
                                                : informationText(notSent, state.last_sent_time));
    // The gateway has no free or paid texts to count: the operator's last
    // figures would mislead.
    const bool gateway = route_ == SendRoute::KannelGateway;
    platform::announce(ui_->lblQuota, gateway ? QString::fromLatin1(kGatewayQuotaText)
                                              : acceleratorDisplay(quotaCaption(state.quota_free,
                                                                                state.quota_paid)));
    // The colour of an enabled window; a disabled one greys the label out
    // like the rest of its texts.
    const QColor colour = !gateway && quotaIsRed(state.quota_free, state.quota_paid)
                              ? QColor(255, 0, 0)
                              : QColor(0, 0, 0);
    QPalette palette = ui_->lblQuota->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, colour);
    ui_->lblQuota->setPalette(palette);
}

void MainWindow::new_message() {
    const QString signature = signatureSetting();
    if (messageText() == signature && toText().isEmpty())
        return;
    if (platform::messageBox(QStringLiteral("New Message"), newMessageQuestion(),
                             platform::Icon::Question,
                             platform::Buttons::YesNo) != platform::Answer::Yes)
        return;
    ui_->txtTo->clear();
    ui_->txtMessage->setPlainText(signature);
    caretToStart(ui_->txtMessage);
    ui_->chkSendConfirmation->setChecked(readSetting(setting::defaultSmsConf));
}

void MainWindow::cmdSend_Click() {
    // The text counted, cut and sent is the text the site can take, however
    // Send was started (the caret may still be in the message box).
    txtMessage_LostFocus();
    const QString reasons = sendRefusalReasons(toText(), messageText());
    if (!reasons.isEmpty()) {
        platform::messageBox(QStringLiteral("Message alert"), sendRefusalText(reasons),
                             platform::Icon::Information);
        return;
    }
    if (!askAboutUnfinishedSend())
        return;
    setComposeEnabled(false);

    // The gateway's account is the send job's to ask for (its own login);
    // the operator's portal account plays no part.
    if (route_ == SendRoute::KannelGateway) {
        if (windows_.sendMessage)
            windows_.sendMessage();
        else
            setComposeEnabled(true);
        return;
    }

    SessionState& state = session();
    const QString storedUsername = readSetting(setting::wispUsername);
    const Credentials account = mergeCredentials(
        {state.session_username, state.session_password}, storedUsername,
        readRememberedPassword(platform::use<platform::Keyring>(), storedUsername).password);
    state.session_username = account.username;
    state.session_password = account.password;

    if (account.complete()) {
        if (windows_.sendMessage)
            windows_.sendMessage();
        else
            setComposeEnabled(true);
        return;
    }
    LoginFocus focus = LoginFocus::DialogDefault;
    if (!account.username.isEmpty())
        focus = LoginFocus::Password;
    else if (!account.password.isEmpty())
        focus = LoginFocus::Username;
    if (windows_.showLogin)
        windows_.showLogin(focus);
    else
        setComposeEnabled(true);
}

bool MainWindow::askAboutUnfinishedSend() {
    leaveOut_.reset();
    const SendRecord* unfinished = unfinished_.matching(toText(), messageText());
    if (!unfinished)
        return true;
    const platform::Answer answer =
        platform::messageBox(QLatin1String(kUnfinishedTitle), unfinishedQuestionText(*unfinished),
                             platform::Icon::Question, platform::Buttons::YesNoCancel);
    if (answer == platform::Answer::Cancel)
        return false;
    leaveOut_ = textsToLeaveOut(*unfinished, answer == platform::Answer::Yes);
    return true;
}

const SendRecord* MainWindow::sendAlreadyDone() const {
    return leaveOut_ ? &*leaveOut_ : nullptr;
}

void MainWindow::sendJobEnded(const SendRecord& record, bool sent) {
    leaveOut_.reset();
    unfinished_.jobEnded(record, sent);
    // Cancel gave the window back before the job had ended.
    if (!sent)
        update_status_bar();
}

void MainWindow::update_edit_menu() {
    editItem(EditMenu::Undo)->setEnabled(edit_.CanUndo());
    editItem(EditMenu::Cut)->setEnabled(edit_.CanCut());
    editItem(EditMenu::Copy)->setEnabled(edit_.CanCopy());
    editItem(EditMenu::Paste)->setEnabled(edit_.CanPaste());
    editItem(EditMenu::Delete)->setEnabled(edit_.CanCut());
}

void MainWindow::mnufile_Click(int index) {
    switch (index) {
    case FileMenu::NewMessage:
        new_message();
        break;
    case FileMenu::ClearRecipients:
        ui_->txtTo->clear();
        break;
    case FileMenu::ClearMessage:
        ui_->txtMessage->setPlainText(signatureSetting());
        caretToStart(ui_->txtMessage);
        break;
    case FileMenu::Send:
        cmdSend_Click();
        break;
    case FileMenu::Exit:
        close();
        break;
    default:
        break;
    }
    update_status_bar();
}

void MainWindow::mnuEdit_Click(int index) {
    switch (index) {
    case EditMenu::Undo:
        edit_.Undo();
        break;
    case EditMenu::Cut:
        edit_.Cut();
        break;
    case EditMenu::Copy:
        edit_.Copy();
        break;
    case EditMenu::Paste:
        edit_.Paste();
        break;
    case EditMenu::Delete:
        edit_.Delete(true);
        break;
    case EditMenu::Preferences:
        if (windows_.showPreferences)
            windows_.showPreferences();
        break;
    default:
        break;
    }
}

void MainWindow::mnuHelp_Click(int index) {
    // Help items that open a web page: the item and its setting.
    struct Page {
        int index;
        Setting<QString> address;
    };
    static constexpr Page pages[] = {
        {HelpMenu::OperatorSite, setting::operatorHomePage},
        {HelpMenu::ZembleSite, setting::productHomePage},
        {HelpMenu::MessageBoard, setting::messageBoardPage},
        {HelpMenu::Guestbook, setting::guestbookPage},
    };
    for (const Page& page : pages) {
        if (page.index == index) {
            platform::openWebAddress(readSetting(page.address));
            return;
        }
    }
    if (index == HelpMenu::Contents)
        platform::show_help_contents();
    else if (index == HelpMenu::About && windows_.showAbout)
        windows_.showAbout();
}

void MainWindow::cmdTo_Click() {
    if (!windows_.showAddressBook)
        return;
    setComposeEnabled(false);
    windows_.showAddressBook();
}

void MainWindow::txtTo_LostFocus() {
    recipients_.txtTo_LostFocus(*this);
}

bool MainWindow::caretMovesOn(const QWidget* field) const {
    // Leaving a field is the caret moving on to another control of this
    // window: Tab, Shift+Tab, a click or a mnemonic.  A menu opened from the
    // keyboard or the mouse, a message box, another program, or the window
    // being disabled while a secondary window works for it are not: the
    // field keeps the caret, its text and its undo history.
    const QWidget* next = QApplication::focusWidget();
    return isEnabled() && next && next != field && isAncestorOf(next) &&
           !qobject_cast<const QMenuBar*>(next);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->cmdTo && event->type() == QEvent::Shortcut) {
        // The To field has no label of its own: the letter underlined on the
        // To.. button beside it is the field's mnemonic, not the button's.
        ui_->txtTo->setFocus(Qt::ShortcutFocusReason);
        return true;
    }
    if (watched == ui_->txtMessage &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::KeyRelease))
        update_edit_menu();
    const bool field = watched == ui_->txtMessage || watched == ui_->txtTo;
    if (field && event->type() == QEvent::FocusOut &&
        caretMovesOn(static_cast<QWidget*>(watched))) {
        const bool byMouse = static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason;
        const ClickCompletion click(
            this, byMouse ? qobject_cast<QAbstractButton*>(QApplication::focusWidget()) : nullptr);
        if (watched == ui_->txtMessage)
            txtMessage_LostFocus();
        else
            txtTo_LostFocus();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !isEnabled()) {
        // Brought forward (Alt+Tab, the task bar) while another window works
        // for it: the caret goes on to that window.
        if (QWidget* working = platform::windowAbove(this)) {
            working->raise();
            working->activateWindow();
        }
        return;
    }
    if (event->type() != QEvent::WindowStateChange || !isMinimized())
        return;
    if (!readSetting(setting::systemTray))
        return;
    auto& tray = platform::use<platform::TrayService>();
    tray.showIcon(windowIcon(), QLatin1String(kTrayTip), [this](platform::TrayClick click) {
        if (click == platform::TrayClick::Left || click == platform::TrayClick::Double ||
            click == platform::TrayClick::Right)
            restoreFromTray();
    });
    // Without a notification area there would be no way back: the window
    // then stays minimised as usual.
    if (!tray.iconShown())
        return;
    // Hidden once the minimise has run its course: a minimise that also shows
    // the window (showMinimized) would otherwise undo the hide.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isMinimized())
                hide();
        },
        Qt::QueuedConnection);
}

void MainWindow::showFromAnotherStart() {
    if (platform::use<platform::TrayService>().iconShown()) {
        restoreFromTray();
        return;
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void MainWindow::restoreFromTray() {
    // The icon is up only because the window hid behind it, so it always
    // brings the window back, even when the tray switch was turned off since.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    showNormal();
    raise();
    activateWindow();
    platform::use<platform::TrayService>().removeIcon();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    // While another window works for this one (a send job, a dialog) the
    // window takes no input, its close box included: ending the program
    // under a running send would cut the job short mid-request.
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    update_status_bar();
    const bool differs = session().last_sent_key != toText() + messageText();
    const QString question = quitQuestion(readSetting(setting::quitConfirm), differs);
    if (!question.isEmpty() &&
        platform::messageBox(QStringLiteral("Quit confirmation"), question,
                             platform::Icon::Exclamation,
                             platform::Buttons::YesNo) != platform::Answer::Yes) {
        event->ignore();
        return;
    }
    if (readSetting(setting::dontLogout) && session().logged_in && windows_.exitLogOff)
        windows_.exitLogOff();
    closing_ = true;
    event->accept();
    emit programEndRequested();
}

// ComposeHost

QString MainWindow::toText() const {
    return ui_->txtTo->text();
}
void MainWindow::setToText(const QString& text) {
    ui_->txtTo->setText(text);
}
QString MainWindow::messageText() const {
    // A line break in the message is a carriage return and a line feed: it
    // counts as two characters and reaches the site as both.
    QString text = ui_->txtMessage->toPlainText();
    text.replace(u'\n', QLatin1String("\r\n"));
    return text;
}
bool MainWindow::sendConfirmationChecked() const {
    return ui_->chkSendConfirmation->isChecked();
}
void MainWindow::setSendConfirmationEnabled(bool enabled) {
    ui_->chkSendConfirmation->setEnabled(enabled);
}
int MainWindow::sendMethodIndex() const {
    return std::max(0, ui_->cmbSendMethod->currentIndex());
}
QString MainWindow::confNumberFieldText() {
    if (windows_.confNumberFieldText)
        return windows_.confNumberFieldText();
    return readSetting(setting::confNumber);
}
void MainWindow::setComposeEnabled(bool enabled) {
    // Where the caret is, or is going (a Tab out of To that asks which name
    // was meant), when another window takes over; it goes back there.
    if (!enabled && isEnabled() && !qobject_cast<QMenuBar*>(focusWidget()))
        caretBeforeDisable_ = focusWidget();
    setEnabled(enabled);
    if (enabled && caretBeforeDisable_ && !focusWidget())
        caretBeforeDisable_->setFocus(Qt::OtherFocusReason);
    if (enabled)
        caretBeforeDisable_ = nullptr;
}
bool MainWindow::composeEnabled() const {
    return isEnabled();
}
void MainWindow::bringComposeToFront() {
    raise();
    activateWindow();
}
void MainWindow::repaintCompose() {
    repaint();
}

} // namespace zemble
