#pragma once

#include <QString>
#include <QStringList>

namespace zemble::platform {

// The help file's name; its topic pages are resources under this prefix.
inline constexpr auto kHelpFile = "zemble.chm";

// Topic pages, one per window.
namespace topics {
inline constexpr auto main = "main.html";
inline constexpr auto contacts = "contacts.html";
inline constexpr auto import = "import.html";
inline constexpr auto multiple = "multiple.html";
inline constexpr auto prefs = "prefs.html";
inline constexpr auto login = "login.html";
inline constexpr auto sendError = "send_error.html";
} // namespace topics

// Shows the program's help.  A missing page is told by the viewer itself
// and never stops the window that asked.
class HelpService {
public:
    virtual ~HelpService() = default;
    virtual void showTopic(const QString& page) = 0;
    virtual void showContents() = 0;
    static HelpService& real();
};

void show_help_topic(const QString& page);
void show_help_contents();

} // namespace zemble::platform
