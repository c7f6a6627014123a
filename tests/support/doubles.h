#pragma once

// Doubles of the platform services: each records what it was asked and
// answers from a queue.  Install one with platform::ScopedService.

#include "platform/file_dialog.h"
#include "platform/help.h"
#include "platform/keyring.h"
#include "platform/message_box.h"
#include "platform/pause.h"
#include "platform/service.h"
#include "platform/web_browser.h"

#include <QtCore>
#include <functional>

#include "support/keyring_double.h"

namespace zemble::test {

class RecordingMessageBox final : public platform::MessageBoxService {
public:
    platform::Answer ask(const platform::MessageBoxRequest& request) override {
        asked.append(request);
        if (onAsk)
            onAsk(request);
        if (!answers.isEmpty())
            return answers.dequeue();
        return request.buttons == platform::Buttons::Ok ? platform::Answer::Ok : yesNoFallback;
    }
    QStringList titles() const {
        QStringList out;
        for (const auto& r : asked)
            out.append(r.title);
        return out;
    }

    QList<platform::MessageBoxRequest> asked;
    QQueue<platform::Answer> answers;
    platform::Answer yesNoFallback = platform::Answer::No;         // a Yes/No box past the queue
    std::function<void(const platform::MessageBoxRequest&)> onAsk; // while the box is up
};

class RecordingPause final : public platform::PauseService {
public:
    void block(int ms) override { blocked.append(ms), notify(ms); }
    void processEventsThenBlock(int ms) override { afterEvents.append(ms), notify(ms); }
    QList<int> blocked, afterEvents;
    std::function<void(int, int)> onPause; // index (both kinds counted), length

private:
    void notify(int ms) {
        if (onPause)
            onPause(int(blocked.size() + afterEvents.size()) - 1, ms);
    }
};

class RecordingHelp final : public platform::HelpService {
public:
    void showTopic(const QString& page) override { topics.append(page); }
    void showContents() override { topics.append(QStringLiteral("(contents)")); }
    QStringList topics;
};

// Answers each chooser from a queue; an empty queue or "" is a cancelled chooser.
class ScriptedFileDialog final : public platform::FileDialogService {
public:
    QString openFile(const QString&, const QString& filters) override {
        return record(QStringLiteral("open"), filters);
    }
    QString saveFile(const QString&, const QString& filters) override {
        return record(QStringLiteral("save"), filters);
    }
    QQueue<QString> answers;
    QStringList kinds, filterLists;

private:
    QString record(const QString& kind, const QString& filters) {
        kinds.append(kind), filterLists.append(filters);
        return answers.isEmpty() ? QString() : answers.dequeue();
    }
};

class RecordingBrowser final : public platform::WebBrowserService {
public:
    void openAddress(const QString& address) override { opened.append(address); }
    QStringList opened;
};

// The common services replaced together for one test.
struct QuietPlatform {
    RecordingMessageBox messages;
    RecordingPause pauses;
    RecordingHelp help;
    ScriptedFileDialog files;
    RecordingBrowser browser;
    // No desktop keyring unless a test makes one reachable: the password
    // stays in the settings file, as on a machine without one.
    MemoryKeyring keyring = [] {
        MemoryKeyring none;
        none.reachable = false;
        return none;
    }();
    platform::ScopedService<platform::MessageBoxService> messageGuard{&messages};
    platform::ScopedService<platform::PauseService> pauseGuard{&pauses};
    platform::ScopedService<platform::HelpService> helpGuard{&help};
    platform::ScopedService<platform::FileDialogService> fileGuard{&files};
    platform::ScopedService<platform::WebBrowserService> browserGuard{&browser};
    platform::ScopedService<platform::Keyring> keyringGuard{&keyring};
};

} // namespace zemble::test
