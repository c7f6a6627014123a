#include "compose/text_box_edit.h"

#include "core/cp1252.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace zemble {

void cTextBoxEdit::Cut() {
    if (box_)
        box_->cut();
}

void cTextBoxEdit::Copy() {
    if (box_)
        box_->copy();
}

void cTextBoxEdit::Paste() {
    if (box_)
        box_->paste();
}

void cTextBoxEdit::Undo() {
    if (CanUndo())
        box_->undo();
}

bool cTextBoxEdit::CanCut() const {
    return box_ && box_->textCursor().hasSelection() && !box_->isReadOnly();
}

bool cTextBoxEdit::CanCopy() const {
    return box_ && box_->textCursor().hasSelection();
}

bool cTextBoxEdit::CanPaste() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

bool cTextBoxEdit::CanUndo() const {
    return box_ && box_->document()->isUndoAvailable();
}

void cTextBoxEdit::ReplaceSelection(const QString& text, bool allowUndo) {
    if (box_ && box_->textCursor().hasSelection())
        replace(cp1252Fold(text), allowUndo);
}

void cTextBoxEdit::Delete(bool allowUndo) {
    if (box_)
        replace(QString(), allowUndo);
}

void cTextBoxEdit::replace(const QString& text, bool allowUndo) {
    QTextCursor cursor = box_->textCursor();
    if (!cursor.hasSelection() && text.isEmpty())
        return;
    cursor.insertText(text);
    box_->setTextCursor(cursor);
    // A change that may not be undone leaves nothing behind to undo.
    if (!allowUndo)
        box_->document()->clearUndoRedoStacks();
}

} // namespace zemble
