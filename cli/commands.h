// The commands' handlers, each run with the parsed command line once its
// options have been checked against the command table. Each returns the exit
// status, or throws UsageError.
#pragma once

#include "arguments.h"

namespace tav::cli {

// Reading and writing records (transfer_commands.cpp). `remote` is 1..1000
// for the one-remote operations.
int RunRead(const Args& a, unsigned operation, int remote);
int RunWrite(const Args& a, unsigned operation, int remote);

// restore and erase (restore_command.cpp).
int RunRestore(const Args& a);
int RunErase(const Args& a);

// Device commands without a settings file (device_commands.cpp).
int RunPlain(const Args& a, unsigned operation);
int RunVersion(const Args& a);
int RunUpdateFirmware(const Args& a);

// monitor (monitor_command.cpp).
int RunMonitor(const Args& a);

// Commands on files, and the port list (file_commands.cpp).
int RunPorts(const Args& a);
// ports --find (find_command.cpp).
int RunFindReceiver(const Args& a);
int RunShow(const Args& a);
int RunDiff(const Args& a);
int RunImport(const Args& a);

// Remote lists and single remotes in a settings file (remote_commands.cpp).
int RunRemotes(const Args& a);
int RunRemote(const Args& a);

// The configuration report as a PDF (report_command.cpp).
int RunReport(const Args& a);

}  // namespace tav::cli
