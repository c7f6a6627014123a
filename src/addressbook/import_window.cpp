#include "addressbook/import_window.h"

#include "addressbook/access_window.h"
#include "platform/help.h"
#include "platform/keyboard.h"
#include "ui_frmImport.h"

#include <QCloseEvent>

namespace zemble {

ImportWindow::ImportWindow(std::function<void()> closed, QWidget* parent)
    : QDialog(parent), ui_(new Ui::frmImport), access_(new AccessWindow),
      closed_(std::move(closed)) {
    ui_->setupUi(this);
    connect(ui_->cmdOk, &QPushButton::clicked, this, &ImportWindow::cmdOk_Click);
    connect(ui_->cmdCancel, &QPushButton::clicked, this, &ImportWindow::cmdCancel_Click);
    connect(ui_->cmdHelp, &QPushButton::clicked, this, &ImportWindow::cmdHelp_Click);
    connect(ui_->lstImport, &QListWidget::itemDoubleClicked, this, &ImportWindow::cmdOk_Click);
    platform::activateOnKeys(ui_->lstImport, [this] { cmdOk_Click(); });
    platform::selectCurrentOnTab(ui_->lstImport);
    platform::stayAbove(access_.get(), this);
    connect(ui_->lstImport, &QListWidget::itemSelectionChanged, this,
            &ImportWindow::updateOkButton);
    offerSources();
}

void ImportWindow::offerSources() {
    // A source that cannot work here stays in its place, greyed, with the
    // reason beside the list; the first one that can work is chosen.
    QStringList notes;
    int first = -1;
    for (int row = 0; row < ui_->lstImport->count(); ++row) {
        QListWidgetItem* item = ui_->lstImport->item(row);
        const QString reason = sourceUnavailableReason(static_cast<ImportSource>(row));
        if (reason.isEmpty()) {
            if (first < 0)
                first = row;
            continue;
        }
        item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
        item->setToolTip(reason);
        notes << QStringLiteral("%1: %2").arg(item->text(), reason);
    }
    ui_->lblUnavailable->setText(notes.join(u'\n'));
    ui_->lblUnavailable->setVisible(!notes.isEmpty());
    if (first >= 0)
        ui_->lstImport->setCurrentRow(first);
    updateOkButton();
}

void ImportWindow::updateOkButton() {
    ui_->cmdOk->setEnabled(!ui_->lstImport->selectedItems().isEmpty());
}

ImportWindow::~ImportWindow() = default;

void ImportWindow::cmdOk_Click() {
    // A second OK while an import runs (its loop handles window events) must
    // not start another import inside the first.
    if (running_)
        return;
    const QList<QListWidgetItem*> chosen = ui_->lstImport->selectedItems();
    if (chosen.isEmpty() || !(chosen.first()->flags() & Qt::ItemIsEnabled))
        return;
    const auto source = static_cast<ImportSource>(ui_->lstImport->row(chosen.first()));
    const bool append = ui_->optAppend->isChecked();

    running_ = true;
    setEnabled(false);
    const ImportResult result = importContacts(source, append, *access_);
    setEnabled(true);
    running_ = false;

    // A cancelled file chooser leaves the options open for another try.
    if (result.outcome == ImportResult::Outcome::NotStarted)
        return;
    cmdCancel_Click();
}

void ImportWindow::cmdCancel_Click() {
    if (running_)
        return;
    hide();
    if (closed_)
        closed_();
}

void ImportWindow::cmdHelp_Click() {
    platform::show_help_topic(QString::fromLatin1(platform::topics::import));
}

void ImportWindow::reject() {
    // Escape backs out as Cancel does.
    cmdCancel_Click();
}

void ImportWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        event->ignore();
        return;
    }
    event->accept();
    const bool wasVisible = isVisible();
    hide();
    if (wasVisible && closed_)
        closed_();
    deleteLater();
}

} // namespace zemble
