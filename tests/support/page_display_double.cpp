#include "support/page_display_double.h"

#include <QApplication>
#include <QTextBrowser>

namespace zemble::test {

QTextBrowser* real_page_window() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("pageDisplay"))
            return qobject_cast<QTextBrowser*>(w);
    return nullptr;
}

} // namespace zemble::test
