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

    // Store index of the entry being edited; -1 while a new one is made.
    qint16 modifyid = -1;

    QLineEdit* txtSurname() const;
    QLineEdit* txtForename() const;
    QLineEdit* txtNumber() const;

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
};

} // namespace zemble
