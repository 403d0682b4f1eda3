#include "platform/ConsoleControl.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

struct ConsoleControl {
    std::mutex lock;
    std::vector<PHANDLER_ROUTINE> handlers;
    bool started = false;
    int pipe[2] = {-1, -1};
};

// Never destroyed: event threads may still run while the process exits.
ConsoleControl& Control() {
    static ConsoleControl& control = *new ConsoleControl;
    return control;
}

// The only work done in signal context: hand the signal number to the dispatcher.
void OnSignal(int signalNumber) {
    int saved = errno;
    unsigned char byte = static_cast<unsigned char>(signalNumber);
    ssize_t ignored = write(Control().pipe[1], &byte, 1);
    (void)ignored;
    errno = saved;
}

std::uint32_t EventOf(int signalNumber) {
    switch (signalNumber) {
        case SIGINT:
            return CTRL_C_EVENT;
        case SIGHUP:
            return CTRL_CLOSE_EVENT;
        default:
            return CTRL_SHUTDOWN_EVENT;
    }
}

void RunHandlers(int signalNumber) {
    std::vector<PHANDLER_ROUTINE> handlers;
    {
        std::lock_guard<std::mutex> guard(Control().lock);
        handlers = Control().handlers;
    }
    // A handler may remove itself while it runs: it works on a copy.
    for (auto it = handlers.rbegin(); it != handlers.rend(); ++it)
        if ((*it)(EventOf(signalNumber))) return;
    signal(signalNumber, SIG_DFL);
    kill(getpid(), signalNumber);
}

void Dispatch() {
    for (;;) {
        unsigned char byte = 0;
        ssize_t got = read(Control().pipe[0], &byte, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;
        std::thread(RunHandlers, static_cast<int>(byte)).detach();
    }
}

bool Start(ConsoleControl& control) {
    if (control.started) return true;
    if (pipe2(control.pipe, O_CLOEXEC) != 0) return false;
    // The dispatcher and the event threads never run the signal handler themselves.
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    for (int s : kSignals) sigaddset(&blocked, s);
    pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    std::thread(Dispatch).detach();
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals) sigaction(s, &action, nullptr);
    control.started = true;
    return true;
}

}  // namespace

int SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, int add) {
    if (!handler) return 0;
    ConsoleControl& control = Control();
    std::lock_guard<std::mutex> guard(control.lock);
    if (add) {
        if (!Start(control)) return 0;
        control.handlers.push_back(handler);
        return 1;
    }
    auto it = std::find(control.handlers.rbegin(), control.handlers.rend(), handler);
    if (it == control.handlers.rend()) return 0;
    control.handlers.erase(std::next(it).base());
    return 1;
}

int GenerateConsoleCtrlEvent(std::uint32_t ctrlEvent, std::uint32_t) {
    if (ctrlEvent != CTRL_C_EVENT && ctrlEvent != CTRL_BREAK_EVENT) return 0;
    return kill(getpid(), SIGINT) == 0 ? 1 : 0;
}
