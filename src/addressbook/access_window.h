#pragma once

#include "addressbook/contact_import.h"

#include <QDialog>
#include <memory>

namespace Ui {
class frmAccess;
}

namespace zemble {

// frmAccess, "Please wait": the progress of a running import with its
// Cancel button.  Cancel (or Esc, or closing the window) only asks the
// import to stop; the window closes when the import ends.
class AccessWindow : public QDialog, public ImportProgress {
    Q_OBJECT
public:
    explicit AccessWindow(QWidget* parent = nullptr);
    ~AccessWindow() override;

    void begin() override;
    void report(int examined, int added) override;
    // True from a press of Cancel until the next import begins.
    bool cancelRequested() const override { return accesscancel_; }
    void end() override;

    void cmdCancel_Click();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Ui::frmAccess> ui_;
    bool accesscancel_ = false;
};

} // namespace zemble
