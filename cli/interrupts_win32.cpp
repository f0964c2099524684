#include <windows.h>

#include <atomic>
#include <cstdio>

#include "interrupts.h"

namespace tav::cli {

namespace {

std::atomic<int> gInterruption{0};

// What the system's own handler ends a console program with on Ctrl+C.
constexpr UINT kControlCExit = 0xC000013A;

BOOL WINAPI NoteInterrupt(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;  // closing the console or logging off ends tavctl as usual
    }
    int none = 0;
    gInterruption.compare_exchange_strong(none, static_cast<int>(event) + 1);
    return TRUE;
}

}  // namespace

void CatchInterrupts() {
    SetConsoleCtrlHandler(NoteInterrupt, TRUE);
}

int Interruption() {
    return gInterruption.load();
}

void AcceptInterruptAsUsualEnd() {
    gInterruption.store(0);
}

std::string InterruptName(int interruption) {
    return interruption == CTRL_BREAK_EVENT + 1 ? "Ctrl+Break" : "Ctrl+C";
}

void EndAsInterrupted() {
    if (gInterruption.load() == 0) {
        return;
    }
    std::fflush(nullptr);
    ExitProcess(kControlCExit);
}

}  // namespace tav::cli
