#pragma once

#include <QPlainTextEdit>
#include <QPointer>
#include <QString>

namespace zemble {

// The standard edit commands on one text box, and whether each is possible
// right now.  Holds no copy of the text: every answer reads the box's state
// at the moment it is asked.  The box must be set before any command is used.
class cTextBoxEdit {
public:
    // The box to work on.
    void TextBox(QPlainTextEdit* box) { box_ = box; }

    void Cut();
    void Copy();
    void Paste();
    // Undoes the last edit when there is one to undo.
    void Undo();

    bool CanCut() const;  // a selection in a box that is not read-only
    bool CanCopy() const; // a selection
    // The clipboard holds text; the box itself is not consulted.
    bool CanPaste() const;
    bool CanUndo() const;

    // Replaces the selection with `text` (as the code page holds it); nothing
    // happens without a selection.  With
    // allowUndo false the change cannot be taken back.
    void ReplaceSelection(const QString& text, bool allowUndo = true);
    // Removes the selection (nothing changes without one).
    void Delete(bool allowUndo = true);

private:
    void replace(const QString& text, bool allowUndo);
    QPointer<QPlainTextEdit> box_;
};

} // namespace zemble
