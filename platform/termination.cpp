#include "platform/termination.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>

namespace platform {

namespace {
int signal_pipe[2] = {-1, -1};
bool terminating = false;
std::atomic<bool> stopped{false};

void on_signal(int) {
    const char byte = 1;
    // Only async-signal-safe work here: the event loop does the rest.
    [[maybe_unused]] const ssize_t written = ::write(signal_pipe[0], &byte, 1);
}
}  // namespace

bool termination_requested() {
    return terminating;
}

void end_now() {
    terminating = true;
    stopped.store(true, std::memory_order_release);
    // As for a signal: every event loop ends, the nested ones of waits and dialogs included.
    QCoreApplication::exit(0);
}

bool exchanges_stopped() {
    return stopped.load(std::memory_order_acquire);
}

void quit_on_termination_signals(QCoreApplication& app) {
    if (signal_pipe[0] >= 0) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signal_pipe) != 0) return;
    auto* notifier = new QSocketNotifier(signal_pipe[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(signal_pipe[1], &byte, 1);
        terminating = true;
        // Not quit(): that asks every window to close first, and a progress dialog that may
        // not be closed would make the request be dropped for good. exit() ends every event
        // loop, the nested ones of modal dialogs included.
        QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
}

}  // namespace platform
