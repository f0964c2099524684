// Which of the serial devices present has a TAV-1000R behind it.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>

#include "device_version.h"
#include "serial_link.h"
#include "timing.h"

namespace tav {

struct FoundReceiver {
    std::size_t index = 0;  // into the list of devices asked
    DeviceVersion version{};
};

// Asks the version ("?") on each of `devicePaths` in turn, the port opened only
// for the question, and returns the first that answers as the receiver does
// (its application or its boot loader). A device that cannot be opened, stays
// silent or answers anything else is passed over without a message. `stop`,
// asked before each device, ends the search early (nothing found).
std::optional<FoundReceiver> FindReceiver(std::span<const std::string> devicePaths,
                                          const SerialLink::PortFactory& makePort, Timing& timing,
                                          const std::function<bool()>& stop = {});

}  // namespace tav
