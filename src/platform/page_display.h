#pragma once

#include <QString>

namespace zemble::platform {

// A small window of the program's own that shows the HTML of the latest page
// received from the operator's site, so the user can watch the conversation
// or see what the site answered when a request went wrong.  No address bar,
// no tool bars; placed at left 100, 360 by 360 pixels.
class PageDisplayService {
public:
    virtual ~PageDisplayService() = default;
    // Creates the window (blank) and shows it; does nothing when one is open.
    virtual void open() = 0;
    // Replaces the shown page; leaves the window's visibility alone.
    virtual void showPage(const QString& html) = 0;
    // Hides the window; it stays open and keeps receiving pages.
    virtual void hide() = 0;
    // Closes and discards the window; nothing happens when none is open.
    virtual void close() = 0;
    // True from open() to close(), whether shown or hidden.
    virtual bool isOpen() const = 0;
    static PageDisplayService& real();
};

} // namespace zemble::platform
