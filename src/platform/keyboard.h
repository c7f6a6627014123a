#pragma once

#include <functional>

class QAbstractButton;
class QAbstractItemView;
class QMenu;
class QWidget;

namespace zemble::platform {

// Keyboard conventions of a desktop that Qt's widgets leave to the program.

// Tabbing into the list (or reaching it through its label's mnemonic) selects
// its current item (the first one when there is none) when nothing is
// selected, so that Space or Enter acts on it at once and Down moves on from
// it instead of skipping it.  The label's mnemonic does the same when the
// list already has the caret.  Call it after the list's label has its buddy.
void selectCurrentOnTab(QAbstractItemView* list);

// Enter, Return and Space on the list run `activate` (the dialog's command
// for its current item) instead of reaching the list; with nothing selected,
// the item with the focus frame is selected first, as a click would.  In a list that
// selects several items, Ctrl with any of them stays the list's own (Ctrl+Space
// toggles the selection of the current item).
void activateOnKeys(QAbstractItemView* list, std::function<void()> activate);

// A letter typed in the open menu that is the mnemonic of several items, only
// one of them enabled, runs that one (Qt would stop on the first, disabled or
// not, and wait for another key).
void skipDisabledMnemonics(QMenu* menu);

// Enter on the button, when it has the caret, presses it (push buttons in a
// dialog do this by themselves; tool buttons do not).
void pressOnEnter(QAbstractButton* button);

// Keeps `window` above the window of `opener` (the window manager, Alt+Tab
// included, treats it as that window's dialog), without tying the two
// together otherwise: disabling the opener leaves `window` enabled.
void stayAbove(QWidget* window, QWidget* opener);

// Centres `window` over the window it stays above (see stayAbove), kept
// within the available area of that window's screen.  Does nothing for a
// window that stays above none.
void placeOverOpener(QWidget* window);

// The window the user works in while `window` is disabled: the visible,
// enabled window that stays above it, directly or above one that does.
QWidget* windowAbove(const QWidget* window);

} // namespace zemble::platform
