#include "addressbook/contacts_window.h"

#include "addressbook/contact_info_dialog.h"
#include "addressbook/contact_store.h"
#include "addressbook/import_window.h"
#include "addressbook/sorted_list.h"
#include "compose/compose_host.h"
#include "core/message_parts.h"
#include "core/phone.h"
#include "core/text.h"
#include "platform/help.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "ui_frmContacts.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QSet>

namespace zemble {
namespace {

void tellSelectOne() {
    platform::messageBox(QStringLiteral("Edit contact"),
                         QStringLiteral("To perform this action, please select only 1 item "
                                        "from the list"),
                         platform::Icon::Exclamation);
}

int findContact(const QString& name) {
    const ContactStore& store = contacts();
    for (int i = 0; i < store.count; ++i) {
        if (store.names.at(i) == name)
            return i;
    }
    return -1;
}

} // namespace

ContactsWindow::ContactsWindow(ComposeHost& host, QWidget* parent)
    : QDialog(parent), ui_(new Ui::frmContacts), host_(host) {
    ui_->setupUi(this);
    connect(ui_->cmdAdd, &QPushButton::clicked, this, &ContactsWindow::cmdAdd_Click);
    connect(ui_->cmdRemove, &QPushButton::clicked, this, &ContactsWindow::cmdRemove_Click);
    connect(ui_->cmdNew, &QPushButton::clicked, this, &ContactsWindow::cmdNew_Click);
    connect(ui_->cmdEdit, &QPushButton::clicked, this, &ContactsWindow::cmdEdit_Click);
    connect(ui_->cmdDelete, &QPushButton::clicked, this, &ContactsWindow::cmdDelete_Click);
    connect(ui_->cmdUpdate, &QPushButton::clicked, this, &ContactsWindow::cmdUpdate_Click);
    connect(ui_->cmdOk, &QPushButton::clicked, this, &ContactsWindow::cmdOk_Click);
    connect(ui_->cmdCancel, &QPushButton::clicked, this, &ContactsWindow::cmdCancel_Click);
    connect(ui_->cmdHelp, &QPushButton::clicked, this, &ContactsWindow::cmdHelp_Click);
    connect(ui_->lstContacts, &QListWidget::itemDoubleClicked, this, &ContactsWindow::cmdAdd_Click);
    connect(ui_->lstReceps, &QListWidget::itemDoubleClicked, this,
            &ContactsWindow::cmdRemove_Click);
    // Every change of selection, by mouse or keyboard, refreshes the buttons.
    connect(ui_->lstContacts, &QListWidget::itemSelectionChanged, this, [this] {
        update_buttons();
        update_contacts_label();
    });
    connect(ui_->lstReceps, &QListWidget::itemSelectionChanged, this,
            &ContactsWindow::update_buttons);
    platform::activateOnKeys(ui_->lstContacts, [this] { cmdAdd_Click(); });
    platform::activateOnKeys(ui_->lstReceps, [this] { cmdRemove_Click(); });
    platform::selectCurrentOnTab(ui_->lstContacts);
    platform::selectCurrentOnTab(ui_->lstReceps);
    update_buttons();
}

ContactsWindow::~ContactsWindow() {
    delete info_.data();
    delete import_.data();
}

ContactInfoDialog* ContactsWindow::contactInfo() const {
    return info_;
}

ImportWindow* ContactsWindow::importWindow() const {
    return import_;
}

void ContactsWindow::Main(bool poprecips) {
    const ContactStore& store = contacts();
    fillSorted(ui_->lstContacts, store.names.mid(0, store.count));
    if (poprecips) {
        ui_->lstReceps->clear();
        ui_->lblNum->setText(QStringLiteral("0 recipients"));
        QStringList pieces = splitRecipients(host_.toText());
        pieces.removeAll(QString());
        fillSorted(ui_->lstReceps, pieces);
    }
    setRecipientCount();
    update_buttons();
    update_contacts_label();
}

bool ContactsWindow::is_in_receps(const QString& search) const {
    for (int i = 0; i < ui_->lstReceps->count(); ++i) {
        if (QString::compare(ui_->lstReceps->item(i)->text(), search, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void ContactsWindow::update_buttons() {
    ui_->cmdAdd->setEnabled(!ui_->lstContacts->selectedItems().isEmpty());
    ui_->cmdRemove->setEnabled(!ui_->lstReceps->selectedItems().isEmpty());
}

void ContactsWindow::update_contacts_label() {
    const qsizetype selected = ui_->lstContacts->selectedItems().size();
    const qint16 count = contacts().count;
    ui_->lblContacts->setText(
        QStringLiteral("%1 contact%2 (%3 selected)").arg(count).arg(plural_s(count)).arg(selected));
    ui_->cmdEdit->setEnabled(selected != 0);
    ui_->cmdDelete->setEnabled(selected != 0);
}

void ContactsWindow::setRecipientCount() {
    // The To field may name more recipients than a 16-bit count holds.
    const int count = ui_->lstReceps->count();
    ui_->lblNum->setText(QStringLiteral("%1 recipient%2").arg(count).arg(plural_s(count)));
}

void ContactsWindow::cmdAdd_Click() {
    QListWidget* list = ui_->lstContacts;
    if (list->currentRow() == -1)
        return;
    // The contacts list is in the same order as the recipients list, so the
    // new names come sorted and are merged in with one refill.  Until then
    // the names added in this go are not in the list: they are remembered
    // apart, compared as is_in_receps compares, ignoring letter case.
    QStringList added;
    QSet<QString> addedFolded;
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        if (!item->isSelected())
            continue;
        const QString& name = item->text();
        const QString folded = name.toCaseFolded();
        if (addedFolded.contains(folded) || is_in_receps(name))
            continue;
        added.append(name);
        addedFolded.insert(folded);
    }
    if (!added.isEmpty())
        mergeSorted(ui_->lstReceps, added);
    list->clearSelection();
    setRecipientCount();
    update_buttons();
    update_contacts_label();
}

void ContactsWindow::cmdRemove_Click() {
    QListWidget* list = ui_->lstReceps;
    if (list->currentRow() == -1)
        return;
    for (int i = 0; i < list->count();) {
        if (list->item(i)->isSelected())
            delete list->takeItem(i);
        else
            ++i;
    }
    setRecipientCount();
    update_buttons();
}

ContactInfoDialog& ContactsWindow::detailsDialog() {
    if (!info_) {
        ContactInfoDialog::Owner owner;
        owner.stored = [this] {
            setEnabled(true);
            Main(false);
            comeBack();
            if (detailsOpener_)
                detailsOpener_->setFocus(Qt::OtherFocusReason);
        };
        owner.cancelled = [this] {
            show();
            comeBack();
            setEnabled(true);
            if (detailsOpener_)
                detailsOpener_->setFocus(Qt::OtherFocusReason);
        };
        info_ = new ContactInfoDialog(std::move(owner));
        platform::stayAbove(info_, this);
    }
    return *info_;
}

void ContactsWindow::cmdNew_Click() {
    detailsOpener_ = focusWidget();
    detailsDialog().newContact();
    setEnabled(false);
}

int ContactsWindow::singleSelectedContact() {
    if (ui_->lstContacts->currentRow() == -1)
        return -1;
    const QList<QListWidgetItem*> selected = ui_->lstContacts->selectedItems();
    if (selected.size() != 1) {
        tellSelectOne();
        return -1;
    }
    // The highlighted entry is the one acted on, wherever the focus sits.
    return findContact(selected.first()->text());
}

void ContactsWindow::cmdEdit_Click() {
    const int index = singleSelectedContact();
    if (index < 0)
        return;
    detailsOpener_ = focusWidget();
    detailsDialog().editContact(qint16(index));
    setEnabled(false);
}

void ContactsWindow::cmdDelete_Click() {
    const int index = singleSelectedContact();
    if (index < 0)
        return;
    const ContactStore& store = contacts();
    const QString text =
        platform::crlfLines({QStringLiteral("Are you really sure you want to delete this entry?"),
                             QString(), QStringLiteral("Name :  ") + store.names.at(index),
                             QStringLiteral("Number :  ") + store.numbers.at(index)});
    if (platform::messageBox(QStringLiteral("Delete confirmation"), text, platform::Icon::Question,
                             platform::Buttons::YesNo) == platform::Answer::No)
        return;
    delete_contact(qint16(index));
    Main(false);
}

void ContactsWindow::cmdUpdate_Click() {
    setEnabled(false);
    if (!import_) {
        import_ = new ImportWindow([this] {
            setEnabled(true);
            comeBack();
            Main(false);
        });
        platform::stayAbove(import_, this);
    }
    import_->show();
    import_->raise();
    import_->activateWindow();
}

void ContactsWindow::cmdOk_Click() {
    QStringList chosen;
    chosen.reserve(ui_->lstReceps->count());
    for (int i = 0; i < ui_->lstReceps->count(); ++i)
        chosen.append(ui_->lstReceps->item(i)->text());
    host_.setToText(chosen.join(QLatin1StringView(kRecipientSeparator)));
    hide();
    host_.giveComposeBack();
}

void ContactsWindow::cmdCancel_Click() {
    hide();
    host_.giveComposeBack();
}

void ContactsWindow::cmdHelp_Click() {
    platform::show_help_topic(QString::fromLatin1(platform::topics::contacts));
}

void ContactsWindow::comeBack() {
    raise();
    activateWindow();
}

void ContactsWindow::reject() {
    // Escape backs out as Cancel does.
    cmdCancel_Click();
}

void ContactsWindow::closeEvent(QCloseEvent* event) {
    // While the details dialog or the import window is open this window is
    // disabled and stays until that one has finished.
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    event->accept();
    const bool wasVisible = isVisible();
    hide();
    if (wasVisible)
        host_.giveComposeBack();
    deleteLater();
}

AddressBook::AddressBook(ComposeHost& host, QWidget* opener) : host_(host), opener_(opener) {}

AddressBook::~AddressBook() {
    delete window_.data();
}

void AddressBook::show() {
    if (!window_) {
        window_ = new ContactsWindow(host_);
        platform::stayAbove(window_, opener_);
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    host_.setComposeEnabled(false);
    window_->Main(true);
}

} // namespace zemble
