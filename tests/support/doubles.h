#pragma once

// Doubles of the platform services: each records what it was asked and
// answers from a queue.  Install one with platform::ScopedService.

#include "platform/message_box.h"
#include "platform/pause.h"
#include "platform/service.h"

#include <QList>
#include <QQueue>
#include <functional>

namespace zemble::test {

class RecordingMessageBox final : public platform::MessageBoxService {
public:
    platform::Answer ask(const platform::MessageBoxRequest& request) override;

    QList<platform::MessageBoxRequest> asked;
    QQueue<platform::Answer> answers;
    // Answer given when the queue is empty: Ok for an OK box, this for Yes/No.
    platform::Answer yesNoFallback = platform::Answer::No;
    // Runs while the box would be showing (after recording), e.g. to check state.
    std::function<void(const platform::MessageBoxRequest&)> onAsk;

    QStringList titles() const;
};

class RecordingPause final : public platform::PauseService {
public:
    void block(int milliseconds) override { blocked.append(milliseconds); }
    void processEventsThenBlock(int milliseconds) override { afterEvents.append(milliseconds); }
    QList<int> blocked;
    QList<int> afterEvents;
};

// Message boxes and pauses replaced together for one test.
struct QuietPlatform {
    RecordingMessageBox messages;
    RecordingPause pauses;
    platform::ScopedService<platform::MessageBoxService> messageGuard{&messages};
    platform::ScopedService<platform::PauseService> pauseGuard{&pauses};
};

} // namespace zemble::test
