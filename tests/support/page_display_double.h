#pragma once

#include "platform/page_display.h"

#include <QString>
#include <QStringList>

class QTextBrowser;

namespace zemble::test {

// Records what the page display was told; "visible" follows open/hide/close.
class RecordingPageDisplay final : public platform::PageDisplayService {
public:
    void open() override;
    void showPage(const QString& html) override;
    void hide() override;
    void close() override;
    bool isOpen() const override { return open_; }

    bool visible() const { return visible_; }
    int opens = 0;
    int hides = 0;
    int closes = 0;
    QStringList pages;
    // Every call in order: "open", "page", "hide", "close".
    QStringList calls;

private:
    bool open_ = false;
    bool visible_ = false;
};

// The program's own page display window while it exists, else null.
QTextBrowser* real_page_window();

} // namespace zemble::test
