#pragma once

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

void pause_blocking(int milliseconds);
void pause_after_events(int milliseconds);

} // namespace zemble::platform
