#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "console.h"

namespace tav::cli {

namespace {

std::atomic<bool> gStop{false};
struct sigaction gOldInt {};
struct sigaction gOldTerm {};

extern "C" void OnStopSignal(int) {
    gStop.store(true);
}

}  // namespace

std::tm LocalTime(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

bool StandardInputIsTerminal() {
    return isatty(STDIN_FILENO) == 1;
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

StopRequests::StopRequests() {
    gStop.store(false);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &gOldInt);
    sigaction(SIGTERM, &action, &gOldTerm);
}

StopRequests::~StopRequests() {
    sigaction(SIGINT, &gOldInt, nullptr);
    sigaction(SIGTERM, &gOldTerm, nullptr);
}

bool StopRequests::StopRequested() {
    return gStop.load();
}

}  // namespace tav::cli
