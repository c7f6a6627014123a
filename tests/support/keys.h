#pragma once

// Keys and the caret as a person uses them, for tests that drive real windows.

#include <QString>

class QWidget;

namespace zemble::test {

// Brings the widget's window to the front and puts the caret in the widget, as a
// click or Tab would; the calling test fails if either does not happen.
void focus_and_wait(QWidget* widget);

// Presses keys one after another ("Alt+E D Esc", "a Return"), each to the open
// menu if there is one, else to the control with the caret.
void press(const QString& keys);

} // namespace zemble::test
