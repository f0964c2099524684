#include <signal.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "interrupts.h"

namespace tav::cli {

namespace {

std::atomic<int> gInterruption{0};

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void NoteInterrupt(int signal) {
    int none = 0;
    gInterruption.compare_exchange_strong(none, signal);
}

}  // namespace

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = NoteInterrupt;
    sigemptyset(&action.sa_mask);
    // Reads and writes go on after the handler; a wait for the line returns
    // early and is repeated by the serial port.
    action.sa_flags = SA_RESTART;
    for (const int signal : kInterrupts) {
        sigaction(signal, &action, nullptr);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, nullptr);
}

int Interruption() {
    return gInterruption.load();
}

void AcceptInterruptAsUsualEnd() {
    int signal = SIGINT;
    if (!gInterruption.compare_exchange_strong(signal, 0)) {
        signal = SIGTERM;
        gInterruption.compare_exchange_strong(signal, 0);
    }
}

std::string InterruptName(int interruption) {
    switch (interruption) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "signal " + std::to_string(interruption);
    }
}

void EndAsInterrupted() {
    const int signal = gInterruption.load();
    if (signal == 0) {
        return;
    }
    std::fflush(nullptr);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
}

}  // namespace tav::cli
