#pragma once

#include "platform/page_display.h"

#include <QtWidgets>

namespace zemble::test {

// Records what the page display was told: how often it was opened, and each
// page shown while it was open.
class RecordingPageDisplay final : public platform::PageDisplayService {
public:
    void open() override { opens += open_ ? 0 : 1, open_ = true; }
    void showPage(const QString& html) override {
        if (open_)
            pages.append(html);
    }
    void hide() override {}
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }

    int opens = 0;
    QStringList pages;

private:
    bool open_ = false;
};

// The program's own page display window while it exists, else null.
inline QTextBrowser* realPageWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("pageDisplay"))
            return qobject_cast<QTextBrowser*>(w);
    return nullptr;
}

} // namespace zemble::test
