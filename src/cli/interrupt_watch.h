#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace zemble::cli {

// Ctrl+C (SIGINT) and a polite kill (SIGTERM) while zemble-send talks to the
// site.  Killing the process outright could leave a text half way with
// nobody told who got it, so each signal is handed to the event loop
// (nested loops included) instead: `handler` gets the number of signals so
// far, 1 for the first.  Only one watch may exist at a time; the default
// handling is back when it goes.
class InterruptWatch final : public QObject {
public:
    explicit InterruptWatch(std::function<void(int)> handler);
    ~InterruptWatch() override;

    int count() const { return count_; }

private:
    void readSignals();

    std::function<void(int)> handler_;
    QSocketNotifier* notifier_ = nullptr;
    int count_ = 0;
};

// Switches terminal echo off while a password is typed; Ctrl+C at the prompt
// puts the echo back before the process ends.
class EchoOff final {
public:
    EchoOff();
    ~EchoOff();
};

} // namespace zemble::cli
