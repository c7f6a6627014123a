#include "compose/name_chooser.h"

#include "ui_frmMultiple.h"

#include "addressbook/sorted_list.h"
#include "compose/compose_host.h"
#include "platform/help.h"
#include "platform/keyboard.h"

#include <QEventLoop>
#include <QPointer>

#include <algorithm>

namespace zemble {

NameChooserWindow::NameChooserWindow(ComposeHost& compose, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmMultiple>()), compose_(compose) {
    ui_->setupUi(this);
    platform::activateOnKeys(ui_->lstContacts, [this] { cmdOk_Click(); });
    platform::selectCurrentOnTab(ui_->lstContacts);
    connect(ui_->cmdOk, &QPushButton::clicked, this, &NameChooserWindow::cmdOk_Click);
    connect(ui_->cmdCancel, &QPushButton::clicked, this, &NameChooserWindow::cmdCancel_Click);
    connect(ui_->cmdHelp, &QPushButton::clicked, this, &NameChooserWindow::cmdHelp_Click);
    connect(ui_->lstContacts, &QListWidget::itemDoubleClicked, this,
            &NameChooserWindow::cmdOk_Click);
}

NameChooserWindow::~NameChooserWindow() {
    // A wait still running must not outlive the window.
    if (wait_)
        wait_->quit();
}

QString NameChooserWindow::Main(const QString& names, int num, const QString& original) {
    // One question at a time: an entry that reaches the chooser while it is
    // already asking stays as typed.
    if (wait_)
        return original;

    // The question is also the list's description, so that a screen reader
    // says it on reaching the list.
    const QString question =
        QStringLiteral("Please select whom you mean by '") + original + QStringLiteral("' ..");
    ui_->lblSelect->setText(question);
    ui_->lstContacts->setAccessibleDescription(question);

    // Sorted as the address book's lists are.
    const QStringList pieces = names.split(u';');
    const int shown = std::clamp(num, 0, int(pieces.size()));
    fillSorted(ui_->lstContacts, pieces.mid(0, shown));

    show();
    raise();
    activateWindow();
    compose_.setComposeEnabled(false);
    state_ = Waiting;
    ui_->lstContacts->setCurrentRow(0);
    ui_->lstContacts->setFocus();

    ComposeHost& compose = compose_;
    const QPointer<NameChooserWindow> alive(this);
    QEventLoop wait;
    wait_ = &wait;
    while (state_ == Waiting) {
        wait.exec();
        if (!alive) {
            // The window went away while it was asking: the wait ends as a
            // Cancel and the compose window is still given back.
            compose.giveComposeBack();
            return original;
        }
        // The loop also ends when the application quits; that counts as Cancel.
        if (state_ == Waiting)
            state_ = Cancelled;
    }
    wait_ = nullptr;

    QString result = original;
    if (state_ == Chosen) {
        // With nothing selected there is no name to take; the typed text is
        // kept rather than the entry being lost.
        const QListWidgetItem* selected = ui_->lstContacts->currentItem();
        if (selected && selected->isSelected())
            result = selected->text();
    }

    hide();
    compose_.giveComposeBack();
    return result;
}

void NameChooserWindow::setState(ChoiceState state) {
    state_ = state;
    if (wait_)
        wait_->quit();
}

void NameChooserWindow::cmdOk_Click() {
    setState(Chosen);
}

void NameChooserWindow::cmdCancel_Click() {
    setState(Cancelled);
}

void NameChooserWindow::cmdHelp_Click() {
    platform::show_help_topic(platform::topics::multiple);
}

void NameChooserWindow::reject() {
    cmdCancel_Click();
}

} // namespace zemble
