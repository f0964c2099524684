#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdio>

#include "console.h"

namespace tav::cli {

namespace {

std::atomic<bool> gStop{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        gStop.store(true);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

std::tm LocalTime(std::time_t t) {
    std::tm local{};
    localtime_s(&local, &t);
    return local;
}

bool StandardInputIsTerminal() {
    return _isatty(_fileno(stdin)) != 0;
}

bool StandardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

StopRequests::StopRequests() {
    gStop.store(false);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

StopRequests::~StopRequests() {
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

bool StopRequests::StopRequested() {
    return gStop.load();
}

}  // namespace tav::cli
