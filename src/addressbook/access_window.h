#pragma once

#include "addressbook/contact_import.h"

#include <QDialog>
#include <QElapsedTimer>
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
    // The counters reach the label at most every kRefreshMs, faster than a
    // person reads them; the last counters given are shown when the import
    // ends.
    void report(int examined, int added) override;
    // True from a press of Cancel until the next import begins.
    bool cancelRequested() const override { return accesscancel_; }
    void end() override;

    void cmdCancel_Click();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    static constexpr int kRefreshMs = 40;
    void showCounters(int examined, int added);

    std::unique_ptr<Ui::frmAccess> ui_;
    bool accesscancel_ = false;
    QElapsedTimer sinceShown_;
    int examined_ = 0;
    int added_ = 0;
    bool behind_ = false; // the label shows older counters than the last given
};

} // namespace zemble
