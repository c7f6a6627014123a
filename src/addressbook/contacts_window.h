#pragma once

#include <QDialog>
#include <QPointer>
#include <memory>

namespace Ui {
class frmContacts;
}

namespace zemble {

class ComposeHost;
class ContactInfoDialog;
class ImportWindow;

// frmContacts, "Address Book": the contacts on the left, the chosen
// recipients on the right.  OK writes the recipients into the compose
// window's To field; Cancel (or closing from the frame) leaves it alone.
// Both lists keep their items in alphabetical order ignoring letter case.
class ContactsWindow : public QDialog {
    Q_OBJECT
public:
    explicit ContactsWindow(ComposeHost& host, QWidget* parent = nullptr);
    ~ContactsWindow() override;

    // Refills the contacts list from the address book; with `poprecips` the
    // recipients list is refilled from the To field as well.
    void Main(bool poprecips);
    // True when a recipient equals `search` ignoring letter case.
    bool is_in_receps(const QString& search) const;
    void update_buttons();
    void update_contacts_label();

    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdNew_Click();
    void cmdEdit_Click();
    void cmdDelete_Click();
    void cmdUpdate_Click();
    void cmdOk_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

    // The details dialog and the import window, once opened (null before,
    // and after one was closed from its frame).
    ContactInfoDialog* contactInfo() const;
    ImportWindow* importWindow() const;

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setRecipientCount();
    void comeBack();
    // The one selected contact for Edit and Del, or -1 after telling the user.
    int singleSelectedContact();
    ContactInfoDialog& detailsDialog();

    std::unique_ptr<Ui::frmContacts> ui_;
    ComposeHost& host_;
    QPointer<ContactInfoDialog> info_;
    // The control that had the caret when the details window opened; it has
    // it again when that window closes.
    QPointer<QWidget> detailsOpener_;
    QPointer<ImportWindow> import_;
};

// What the compose window's To.. button opens: creates the address book
// window when needed (again after it was closed from its frame), shows it
// above `opener` (the compose window), disables the compose window and fills
// the window from the To field.
class AddressBook {
public:
    explicit AddressBook(ComposeHost& host, QWidget* opener = nullptr);
    ~AddressBook();
    AddressBook(const AddressBook&) = delete;
    AddressBook& operator=(const AddressBook&) = delete;

    void show();
    // The window, or null before the first show and after a close from the frame.
    ContactsWindow* window() const { return window_; }

private:
    ComposeHost& host_;
    QWidget* opener_;
    QPointer<ContactsWindow> window_;
};

} // namespace zemble
