// One run's session with the receiver: the port, the link, the terminal host
// and the image a device operation works on.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "arguments.h"
#include "link/dispatcher.h"
#include "link/serial_link.h"
#include "link/timing.h"
#include "port_access.h"
#include "terminal_host.h"

namespace tav::cli {

class Device {
  public:
    Device(const std::string& port, PortChoice choice);

    DeviceContext& ctx() { return ctx_; }
    TerminalHost& host() { return host_; }
    MemoryImage& image() { return image_; }

  private:
    std::string port_;
    std::shared_ptr<OpenAttempt> attempt_;
    PortChoice choice_;
    SystemTiming timing_;
    SystemLocalClock clock_;
    SerialLink link_;
    TerminalHost host_;
    MemoryImage image_;
    DeviceContext ctx_;
};

// A session on --port; throws UsageError for a port name tavctl does not
// know. A port given as a link is named once per run.
std::unique_ptr<Device> OpenDevice(const Args& a);

// 0 for Done, 1 for anything else.
int ExitFor(OperationOutcome outcome);

// The version answer's bytes as "76 07 ...".
std::string Hex(const DeviceVersion& v);

// Runs one operation. A refusal the system shows no message for (a version
// answer that is neither the application's nor the boot loader's) gets a line
// of tavctl's own.
OperationOutcome RunOperation(Device& dev, unsigned operation);

// Reads `records` from the receiver into `into` (the rest of `into` stays as
// it is): record by record while that is faster, otherwise (or with `whole`)
// the whole memory.
bool ReadFromReceiver(const Args& a, const std::vector<int>& records, bool whole,
                      MemoryImage& into);

}  // namespace tav::cli
