#pragma once

class QWidget;

namespace zemble::platform {

// Pauses the one GUI thread.
class PauseService {
public:
    virtual ~PauseService() = default;
    // Blocks outright: no window events are handled while it lasts.
    virtual void block(int milliseconds) = 0;
    // Handles pending window events first, then blocks.
    virtual void processEventsThenBlock(int milliseconds) = 0;
    static PauseService& real();
};

void pauseBlocking(int milliseconds);
void pauseAfterEvents(int milliseconds);

// Puts a window that has just been shown on screen before a blocking pause:
// waits (a moment at most, handling no input from the user) until the
// window system shows it, then paints it, so that it does not stay blank
// or show what was under it while the pause lasts.
void paintNow(QWidget* window);

} // namespace zemble::platform
