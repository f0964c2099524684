// Which serial device each COM name opens now, and what the system knows of
// it, for installers looking for the right port.
#pragma once

#include <string>

#include "link/port_resolver.h"

namespace tav::cli {

// One line per COM name: the device it opens now (or "-"), then for a USB
// device its vendor:product ids, manufacturer, product and serial number, and
// its stable /dev/serial/by-id links on lines of their own. `json`: one JSON
// array of {name, device, usb, stable_links} (device and usb null when
// there is none).
// Windows: the same for the COM ports Windows knows (the registry's serial
// device map), with each port's friendly name, manufacturer and USB ids from
// the device manager, and the ports it knows beyond COM15 after them; a
// "friendly_name" in the JSON.
std::string FormatPortList(const PlatformPortResolver& resolver, bool json);

// Text from the system or a device, safe for a terminal: control characters
// become "?".
std::string PrintableText(const std::string& s);

// For a --port path that is a link: "PATH is DEVICE (COMn)", or "(no COM
// name)" when no COM name opens that device now.
std::string DescribePortLink(const std::string& path, const PlatformPortResolver& resolver);

// For a path given with --port: "PATH is DEVICE (COMn)" as above when it is
// a serial device (or a link to one), else "PATH is not a serial device".
std::string DescribeGivenPort(const std::string& path, const PlatformPortResolver& resolver);

}  // namespace tav::cli
