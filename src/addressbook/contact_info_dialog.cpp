#include "addressbook/contact_info_dialog.h"

#include "addressbook/contact_store.h"
#include "core/phone.h"
#include "core/text.h"
#include "platform/message_box.h"
#include "ui_frmContactInfo.h"

#include <QCloseEvent>

namespace zemble {

ContactInfoDialog::ContactInfoDialog(Owner owner, QWidget* parent)
    : QDialog(parent), ui_(new Ui::frmContactInfo), owner_(std::move(owner)) {
    ui_->setupUi(this);
    connect(ui_->cmdOk, &QPushButton::clicked, this, &ContactInfoDialog::cmdOk_Click);
    connect(ui_->cmdCancel, &QPushButton::clicked, this, &ContactInfoDialog::cmdCancel_Click);
    connect(ui_->txtSurname, &QLineEdit::editingFinished, this,
            [this] { leaveName(ui_->txtSurname); });
    connect(ui_->txtForename, &QLineEdit::editingFinished, this,
            [this] { leaveName(ui_->txtForename); });
    connect(ui_->txtNumber, &QLineEdit::editingFinished, this, &ContactInfoDialog::leaveNumber);
}

ContactInfoDialog::~ContactInfoDialog() = default;

void ContactInfoDialog::newContact() {
    setWindowTitle(QStringLiteral("New details"));
    emptyFields();
    show();
    modifyid_ = -1;
    shown_ = {};
    ui_->txtSurname->setFocus();
}

void ContactInfoDialog::editContact(qint16 index) {
    const ContactStore& store = contacts();
    // The surname is what comes before the first comma, the forename all
    // the rest, further commas included, so that no part of the name is
    // left out of the fields.
    const QString& name = store.names.at(index);
    const qsizetype comma = name.indexOf(u',');
    ui_->txtSurname->setText(trimSpaces(comma < 0 ? name : name.left(comma)));
    ui_->txtForename->setText(comma < 0 ? QString() : trimSpaces(name.mid(comma + 1)));
    shown_ = {name, ui_->txtSurname->text(), ui_->txtForename->text()};
    ui_->txtNumber->setText(normalise_number(store.numbers.at(index)));
    setWindowTitle(QStringLiteral("Edit details"));
    modifyid_ = index;
    show();
    ui_->txtSurname->setFocus();
}

void ContactInfoDialog::leaveName(QLineEdit* field) {
    const QString trimmed = trimSpaces(field->text());
    if (trimmed != field->text())
        field->setText(trimmed);
}

void ContactInfoDialog::leaveNumber() {
    const QString normal = normalise_number(ui_->txtNumber->text());
    if (normal != ui_->txtNumber->text())
        ui_->txtNumber->setText(normal);
}

void ContactInfoDialog::emptyFields() {
    ui_->txtSurname->clear();
    ui_->txtForename->clear();
    ui_->txtNumber->clear();
}

void ContactInfoDialog::cmdOk_Click() {
    // Enter pressed inside a field reaches here before the field is left.
    leaveName(ui_->txtSurname);
    leaveName(ui_->txtForename);
    leaveNumber();
    if (ui_->txtNumber->text().isEmpty()) {
        platform::messageBox(QStringLiteral("Missing data"),
                             QStringLiteral("You need to enter a valid UK mobile phonenumber"),
                             platform::Icon::Information);
        return;
    }
    if (ui_->txtSurname->text().isEmpty() && ui_->txtForename->text().isEmpty()) {
        platform::messageBox(QStringLiteral("Missing data"),
                             QStringLiteral("You need to enter a name for this entry"),
                             platform::Icon::Information);
        return;
    }
    // A name whose fields were left as shown is stored exactly as it was,
    // spacing around its commas included.
    const bool unchanged = modifyid_ != -1 && ui_->txtSurname->text() == shown_.surname &&
                           ui_->txtForename->text() == shown_.forename;
    if (ui_->txtSurname->text().isEmpty()) {
        ui_->txtSurname->setText(ui_->txtForename->text());
        ui_->txtForename->clear();
    }
    QString name = ui_->txtSurname->text();
    if (!ui_->txtForename->text().isEmpty())
        name += QStringLiteral(", ") + ui_->txtForename->text();
    if (unchanged)
        name = shown_.name;
    set_contact(modifyid_, name, ui_->txtNumber->text());
    save_contacts(false);
    hide();
    if (owner_.stored)
        owner_.stored();
}

void ContactInfoDialog::cmdCancel_Click() {
    hide();
    emptyFields();
    if (owner_.cancelled)
        owner_.cancelled();
}

void ContactInfoDialog::reject() {
    // Esc is the Cancel button.
    cmdCancel_Click();
}

void ContactInfoDialog::closeEvent(QCloseEvent* event) {
    event->accept();
    const bool wasVisible = isVisible();
    hide();
    emptyFields();
    if (wasVisible && owner_.cancelled)
        owner_.cancelled();
    deleteLater();
}

} // namespace zemble
