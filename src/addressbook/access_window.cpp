#include "addressbook/access_window.h"

#include "ui_frmAccess.h"

#include <QCloseEvent>

#include <limits>

namespace zemble {

AccessWindow::AccessWindow(QWidget* parent) : QDialog(parent), ui_(new Ui::frmAccess) {
    ui_->setupUi(this);
    // The progress text changes after every record.  Sized once for the
    // longest it can be, the label takes a new text without the window being
    // laid out again each time, which would cost more than the record itself.
    QLabel* status = ui_->lblStatus;
    const QString text = status->text();
    status->setText(
        importProgressText(std::numeric_limits<qint16>::max(), std::numeric_limits<qint16>::max()));
    status->setFixedSize(status->sizeHint());
    status->setText(text);
    connect(ui_->cmdCancel, &QPushButton::clicked, this, &AccessWindow::cmdCancel_Click);
}

AccessWindow::~AccessWindow() = default;

void AccessWindow::begin() {
    showCounters(0, 0);
    accesscancel_ = false;
    ui_->cmdCancel->setText(QStringLiteral("Cancel"));
    show();
    raise();
}

void AccessWindow::report(int examined, int added) {
    // A new text costs a repaint of the label at the next turn of the event
    // loop, many times the work of one record when records come fast; when
    // they come slowly (the pause after each) every record is shown.
    if (sinceShown_.isValid() && !sinceShown_.hasExpired(kRefreshMs)) {
        examined_ = examined;
        added_ = added;
        behind_ = true;
        return;
    }
    showCounters(examined, added);
}

void AccessWindow::showCounters(int examined, int added) {
    ui_->lblStatus->setText(importProgressText(examined, added));
    examined_ = examined;
    added_ = added;
    behind_ = false;
    sinceShown_.start();
}

void AccessWindow::end() {
    // The final counters stay on the label, as after every import.
    if (behind_)
        showCounters(examined_, added_);
    hide();
}

void AccessWindow::cmdCancel_Click() {
    ui_->cmdCancel->setText(QStringLiteral("Cancelling.."));
    accesscancel_ = true;
}

void AccessWindow::reject() {
    // Esc acts as the Cancel button and never closes the window by itself.
    cmdCancel_Click();
}

void AccessWindow::closeEvent(QCloseEvent* event) {
    // Closing from the frame while an import runs asks it to stop; the window
    // goes away when the import ends.
    if (isVisible()) {
        cmdCancel_Click();
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace zemble
