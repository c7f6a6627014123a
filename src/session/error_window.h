#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class frmBrowser;
}

namespace zemble {

// The error window (the form `frmBrowser`) shown when a request of the operator session went wrong:
// the user chooses between Retry, Ignore Error and Abort All.  Closing it
// from its frame, or Escape, counts as Abort All.  The window opens with the
// caret on Abort All, the one choice that sends nothing: a stray Enter or
// Space never sends a text again.  A screen reader hears its explanation as
// the window's description.
class ErrorWindow : public QWidget {
    Q_OBJECT
public:
    enum Choice : qint16 { None = -1, Retry = 1, Ignore = 2, Abort = 3 };

    explicit ErrorWindow(QWidget* parent = nullptr);
    ~ErrorWindow() override;

    // Shows or hides the line saying that a text message whose request got
    // no answer may already have been delivered, and goes again on Retry.
    void showDeliveryWarning(bool shown);

    // Explains a request to an SMS gateway that failed: `problem` (what the
    // gateway answered, or that it did not) in place of the texts about the
    // operator's site; "" brings those back.
    void showGatewayProblem(const QString& problem);

    // The button chosen since the last reset; None while the user decides.
    Choice error_choice() const { return choice_; }
    void resetChoice() { choice_ = None; }

signals:
    void choiceMade(int choice);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void choose(Choice choice);
    // The texts shown, one after another, as the window's description.
    void describe();
    void cmdHelp_Click();

    std::unique_ptr<Ui::frmBrowser> ui_;
    // The form's own texts about the operator's site.
    QString siteError_;
    QString siteAdvice_;
    Choice choice_ = None;
};

} // namespace zemble
