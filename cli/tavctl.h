// tavctl: the device operations and the file routines of the window, run from
// a command line.
#pragma once

namespace tav::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;  // refused or failed: port, version, answer, checksum, file
inline constexpr int kExitUsage = 2;
// diff exits as diff(1) does.
inline constexpr int kExitDiffDifferent = 1;
inline constexpr int kExitDiffTrouble = 2;

// The whole program: parses the arguments, runs one command, returns the exit
// status. Output goes to standard output, messages to standard error.
int RunTavctl(int argc, char** argv);

}  // namespace tav::cli
