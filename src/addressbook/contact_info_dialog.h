#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class QLineEdit;

namespace Ui {
class frmContactInfo;
}

namespace zemble {

// frmContactInfo, "New details" / "Edit details": a contact's surname,
// forename and number.  OK stores the entry and saves the address book;
// OK and Cancel hide the dialog; closing it from its frame discards it.
class ContactInfoDialog : public QDialog {
    Q_OBJECT
public:
    // What the dialog does to the address book window when it finishes.
    struct Owner {
        std::function<void()> stored;    // after OK: enable, refill, bring to front
        std::function<void()> cancelled; // after Cancel: show, bring to front, enable
    };
    explicit ContactInfoDialog(Owner owner, QWidget* parent = nullptr);
    ~ContactInfoDialog() override;

    // Shows the dialog, titled "New details", with empty fields for a new
    // contact; OK adds it.
    void newContact();
    // Shows the dialog, titled "Edit details", filled with the contact at
    // `index` of the store (its name split into surname and forename at the
    // first comma); OK changes that contact, and keeps its name exactly as it
    // was when neither name field was changed.
    void editContact(qint16 index);

    void cmdOk_Click();
    void cmdCancel_Click();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void leaveName(QLineEdit* field);
    void leaveNumber();
    void emptyFields();

    std::unique_ptr<Ui::frmContactInfo> ui_;
    Owner owner_;
    // Store index of the entry being edited; -1 while a new one is made.
    qint16 modifyid_ = -1;
    // The name being edited and the two fields as they were shown for it.
    struct Shown {
        QString name, surname, forename;
    } shown_;
};

} // namespace zemble
