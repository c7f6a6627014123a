#include "cli/interrupt_watch.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace zemble::cli {
namespace {

// The write end of the pipe that carries signals to the event loop; -1 when
// no watch exists.
volatile sig_atomic_t signalPipe = -1;

void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    if (signalPipe >= 0) {
        const ssize_t written = write(signalPipe, &byte, 1);
        (void)written; // a full pipe already holds a signal to be read
    }
    errno = saved;
}

void setHandler(void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int pipeRead = -1;

// The terminal as it was before EchoOff, put back by a signal at the prompt.
termios echoSaved{};
volatile sig_atomic_t echoHeld = 0;

void onSignalAtPrompt(int signal) {
    if (echoHeld)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &echoSaved);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

InterruptWatch::InterruptWatch(std::function<void(int)> handler) : handler_(std::move(handler)) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without a pipe the signals keep their default effect
    pipeRead = ends[0];
    signalPipe = ends[1];
    notifier_ = new QSocketNotifier(pipeRead, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &InterruptWatch::readSignals);
    setHandler(onSignal);
}

InterruptWatch::~InterruptWatch() {
    if (!notifier_)
        return;
    setHandler(SIG_DFL);
    const int writeEnd = signalPipe;
    signalPipe = -1;
    delete notifier_;
    close(writeEnd);
    close(pipeRead);
    pipeRead = -1;
}

void InterruptWatch::readSignals() {
    char bytes[16];
    ssize_t got;
    while ((got = read(pipeRead, bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < got; ++i) {
            ++count_;
            if (handler_)
                handler_(count_);
        }
    }
}

EchoOff::EchoOff() {
    if (tcgetattr(STDIN_FILENO, &echoSaved) != 0)
        return;
    termios silent = echoSaved;
    silent.c_lflag &= ~tcflag_t(ECHO);
    echoHeld = 1;
    std::signal(SIGINT, onSignalAtPrompt);
    std::signal(SIGTERM, onSignalAtPrompt);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
}

EchoOff::~EchoOff() {
    if (!echoHeld)
        return;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &echoSaved);
    echoHeld = 0;
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

} // namespace zemble::cli
