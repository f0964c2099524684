// How tavctl takes the signals that would otherwise end it part-way: an
// interrupt (Ctrl+C, SIGTERM, SIGHUP; Ctrl+C and Ctrl+Break on Windows) is
// noted, the operation stops at a point where nothing is half done, and then
// tavctl ends as that signal asks. A write over the file-size limit fails
// instead of ending the program (SIGXFSZ is ignored, the write gets EFBIG).
#pragma once

#include <string>

namespace tav::cli {

// From the first call on, for the rest of the run: interrupts are noted
// instead of ending tavctl, and SIGXFSZ is ignored.
void CatchInterrupts();

// The first interrupt noted since CatchInterrupts (its signal number), or 0.
int Interruption();

// Takes the noted interrupt back when it is one a watch without an end of its
// own ends with as usual (Ctrl+C or SIGTERM; on Windows Ctrl+C or Ctrl+Break):
// tavctl then exits with the watch's own status. A hang-up stays noted.
void AcceptInterruptAsUsualEnd();

// "SIGINT", "SIGTERM", ... ("Ctrl+C" on Windows) for a message.
std::string InterruptName(int interruption);

// Ends tavctl as the noted interrupt would have ended it had nobody caught it
// (the signal raised again with its default action, so a shell sees 128 + N;
// on Windows the exit code of a console interrupt). Returns when none was
// noted.
void EndAsInterrupted();

}  // namespace tav::cli
