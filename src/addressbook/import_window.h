#pragma once

#include "addressbook/contact_import.h"

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class frmImport;
}

namespace zemble {

class AccessWindow;

// frmImport, "Import Options": the source and the mode of an import.  It
// opens with the first source that can work on this system chosen; one that
// cannot is greyed, its reason shown under the list.  OK (enabled while a
// source is chosen) runs the import; OK and Cancel hide the window so the
// choices stay for the next use; closing it from its frame discards it.
class ImportWindow : public QDialog {
    Q_OBJECT
public:
    // `closed` runs whenever the window finishes (OK, Cancel or a close from
    // the frame): it gives the address book window back.
    explicit ImportWindow(std::function<void()> closed, QWidget* parent = nullptr);
    ~ImportWindow() override;

    void cmdOk_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

    // The progress window of the running (or last) import.
    AccessWindow* accessWindow() const { return access_.get(); }

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void offerSources();
    void updateOkButton();

    std::unique_ptr<Ui::frmImport> ui_;
    std::unique_ptr<AccessWindow> access_;
    std::function<void()> closed_;
    bool running_ = false;
};

} // namespace zemble
