#pragma once

// The platform answers a benchmark needs when it drives the address book's
// windows: no pauses, every message box answered OK, one file chosen for
// every file dialog.  The pauses a person sees stay in the program; only the
// benchmarks switch them off, so that the figures show the work itself.

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/pause.h"
#include "platform/service.h"

namespace zemble::bench {

class NoPause final : public platform::PauseService {
public:
    void block(int) override {}
    void processEventsThenBlock(int) override {}
};

class SilentMessages final : public platform::MessageBoxService {
public:
    platform::Answer ask(const platform::MessageBoxRequest&) override {
        return platform::Answer::Ok;
    }
};

class FixedFile final : public platform::FileDialogService {
public:
    QString openFile(const QString&, const QString&) override { return path; }
    QString saveFile(const QString&, const QString&) override { return path; }
    QString path;
};

// The three installed for as long as the object lives.
struct QuietPlatform {
    NoPause pause;
    SilentMessages messages;
    FixedFile file;
    platform::ScopedService<platform::PauseService> pauseGuard{&pause};
    platform::ScopedService<platform::MessageBoxService> messageGuard{&messages};
    platform::ScopedService<platform::FileDialogService> fileGuard{&file};
};

} // namespace zemble::bench
