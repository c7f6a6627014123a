#pragma once

#include "shell/preferences.h"

#include <QDialog>
#include <memory>

namespace Ui {
class frmPrefs;
}

namespace zemble {

class ComposeHost;

// The preferences dialog `frmPrefs`.  It is filled from the settings store
// once, when it is created, and afterwards only hidden: reopening it shows the
// controls as they were left, saved or not.  While it is shown the compose
// window is disabled; OK, Cancel, Escape and a close from the window frame
// give it back.
class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    // Fills the controls from the store (the dialog's load).  The host may be
    // null when no compose window exists (tests, early start-up).
    explicit PreferencesDialog(ComposeHost* host, QWidget* parent = nullptr);
    ~PreferencesDialog() override;

    // Disables the compose window and shows the dialog in front.
    void showForCompose();

    // The confirmation number as the field holds it now.
    QString confNumberText() const;

    // The preferences as the controls hold them, and the store written from
    // them (what OK does before it closes the dialog).
    Preferences controlValues() const;
    void save_preferences();

    // Enables, colours and fills the controls that depend on the three tick
    // boxes (indicator, signature and log file) and on the send route (the
    // gateway's fields).
    void refresh_controls();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void Form_Load();
    void cmdOkay_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();
    void cmdBrowserSMSLogPath_Click();
    void txtClip_Change();
    void txtSignature_Change();
    void txtClip_LostFocus();
    void txtConfNumber_LostFocus();
    // Shows the clear-text warning while the gateway address calls for it.
    void txtGatewayUrl_Change();
    // Enable, hide, bring the compose window to the front, refresh, repaint.
    void finish();
    // Gives a text box the window's normal background or the dialog's own.
    void setBoxBackground(QWidget* box, bool normal);

    std::unique_ptr<Ui::frmPrefs> ui_;
    ComposeHost* host_;
};

// Holds the one preferences dialog of the program run and creates it the
// first time anything needs it: the compose window's Edit menu or the send
// job asking for the confirmation number.
class PreferencesHolder {
public:
    // The dialog stays above `opener` (the compose window).
    explicit PreferencesHolder(ComposeHost* host = nullptr, QWidget* opener = nullptr);
    ~PreferencesHolder();
    PreferencesHolder(const PreferencesHolder&) = delete;
    PreferencesHolder& operator=(const PreferencesHolder&) = delete;

    // Edit > Preferences...: shows the dialog and disables the compose window.
    void show();

    // The text of the confirmation-number field.  Creates the dialog hidden
    // (filled from the store) when it does not exist yet, leaving the compose
    // window as it is.
    QString confNumberFieldText();

    // The dialog, or null while nothing has needed it yet.
    PreferencesDialog* dialog() const { return dialog_.get(); }

private:
    PreferencesDialog& ensure();

    ComposeHost* host_;
    QWidget* opener_;
    std::unique_ptr<PreferencesDialog> dialog_;
};

} // namespace zemble
