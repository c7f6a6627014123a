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

// About the most characters of markup and text the window is given for one
// page; the rest of the page is left out with a line saying so.
inline constexpr qsizetype kShownPageChars = 32 * 1024;

// A page as the window shows it.  Pages come from the network and may be
// hostile, and the window's rich-text engine reads any file a page names and
// takes minutes or hours over deeply nested or oddly sized markup.  So the
// window gets a tame copy of the head of the page (kShownPageChars): its text
// with a break opportunity in every long unbroken run, and only the plain
// structural tags (paragraphs, headings, lists, tables, emphasis) without any
// attribute, nested no deeper than the engine lays out quickly; scripts,
// style sheets, images, links' targets and every other tag are left out.
QString displayableHtml(const QString& page);

} // namespace zemble::platform
