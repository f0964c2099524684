// A serial port wired to simulated receivers in the same process
// (sim::InProcessReceiver): the demo's ports where there are no
// pseudo-terminals. The device paths are the receivers' names in a table.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "link/serial_port.h"
#include "sim/in_process_receiver.h"

namespace tav::demo {

using InProcessReceivers = std::map<std::string, std::shared_ptr<sim::InProcessReceiver>>;

// Open(path) attaches to receivers.at(path): a name not in the table is
// missing, an attached receiver busy. There are no modem lines (SetRts
// fails), so the link sends at the speed of the process, not of a line.
std::unique_ptr<SerialPort> MakeInProcessPort(std::shared_ptr<const InProcessReceivers> receivers);

}  // namespace tav::demo
