#include "support/page_display_double.h"

#include <QApplication>
#include <QTextBrowser>

namespace zemble::test {

void RecordingPageDisplay::open() {
    calls.append(QStringLiteral("open"));
    if (open_)
        return;
    ++opens;
    open_ = true;
    visible_ = true;
}

void RecordingPageDisplay::showPage(const QString& html) {
    calls.append(QStringLiteral("page"));
    if (open_)
        pages.append(html);
}

void RecordingPageDisplay::hide() {
    calls.append(QStringLiteral("hide"));
    ++hides;
    visible_ = false;
}

void RecordingPageDisplay::close() {
    calls.append(QStringLiteral("close"));
    if (open_)
        ++closes;
    open_ = false;
    visible_ = false;
}

QTextBrowser* real_page_window() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("pageDisplay"))
            return qobject_cast<QTextBrowser*>(w);
    return nullptr;
}

} // namespace zemble::test
