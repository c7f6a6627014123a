#pragma once

#include <QStringList>
#include <QTimer>

#include <functional>

class QWidget;

namespace zemble::test {

// Answers the transport's error window ("frmBrowser") from a script of
// button names, "close" closing it from its frame; past the script, Abort All.
class ErrorWindowDriver {
public:
    explicit ErrorWindowDriver(QStringList script = {});
    // The error window while it is shown, else null.
    static QWidget* shown();

    QStringList script;
    int visits = 0;
    // Runs each time the window is found up, before its button is pressed.
    std::function<void()> onShown;

private:
    void poll();
    QTimer timer;
};

} // namespace zemble::test
