#pragma once

// Keys and the caret as a person uses them, for tests that drive real windows.

#include <QtTest>
#include <QtWidgets>

namespace zemble::test {

// Brings the widget's window to the front and puts the caret in the widget, as a
// click or Tab would; the calling test fails if either does not happen.
inline void focusAndWait(QWidget* widget) {
    widget->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(widget->window()));
    widget->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(widget->hasFocus());
}

// Presses keys one after another ("Alt+E D Esc", "a Return"), each to the open
// menu if there is one, else to the control with the caret.
inline void press(const QString& keys) {
    for (const QString& key : keys.split(u' ', Qt::SkipEmptyParts)) {
        QWidget* menu = QApplication::activePopupWidget();
        QTest::keySequence(menu ? menu : QApplication::focusWidget(), QKeySequence(key));
    }
}

} // namespace zemble::test
