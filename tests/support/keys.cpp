#include "support/keys.h"

#include <QApplication>
#include <QKeySequence>
#include <QTest>
#include <QWidget>

namespace zemble::test {

void focus_and_wait(QWidget* widget) {
    widget->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(widget->window()));
    widget->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(widget->hasFocus());
}

void press(const QString& keys) {
    for (const QString& key : keys.split(u' ', Qt::SkipEmptyParts)) {
        QWidget* menu = QApplication::activePopupWidget();
        QTest::keySequence(menu ? menu : QApplication::focusWidget(), QKeySequence(key));
    }
}

} // namespace zemble::test
