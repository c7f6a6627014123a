#pragma once

#include "compose/recipients.h"

#include <QDialog>

#include <memory>

class QEventLoop;

namespace Ui {
class frmMultiple;
}

namespace zemble {

class ComposeHost;

// The name chooser `frmMultiple`, "Check names": asks which of several contacts a typed name means.
// Created once and reused; while it waits the compose window is disabled.
class NameChooserWindow : public QDialog, public NameChooser {
    Q_OBJECT
public:
    // What the window is waiting for.
    enum ChoiceState : qint16 { Waiting = -1, Chosen = 1, Cancelled = 2 };

    explicit NameChooserWindow(ComposeHost& compose, QWidget* parent = nullptr);
    ~NameChooserWindow() override;

    // Shows the candidates (sorted), waits for OK or Cancel while window
    // events go on, and gives the compose window back.  Returns the selected
    // name, or `original` on Cancel.
    QString Main(const QString& names, int num, const QString& original) override;

    qint16 choiceState() const { return state_; }

    void cmdOk_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

protected:
    // Escape and a close from the window frame act as Cancel.
    void reject() override;

private:
    void setState(ChoiceState state);

    std::unique_ptr<Ui::frmMultiple> ui_;
    ComposeHost& compose_;
    qint16 state_ = Cancelled;
    QEventLoop* wait_ = nullptr;
};

} // namespace zemble
