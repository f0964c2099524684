// Which serial device each COM name opens now, and what the system knows of
// it, for installers looking for the right port.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/port_resolver.h"

namespace tav::cli {

// One port as tavctl ports lists it, whatever the platform.
struct PortEntry {
    std::string name;                         // "COM3"
    std::optional<std::string> device;        // none: nothing behind the name now
    std::optional<std::string> friendlyName;  // Windows' device manager; none elsewhere
    SerialDeviceInfo info;                    // USB ids and names, links
};

// What the system knows of the ports: COM1..COM15 first (Windows: then the
// ports it knows beyond them). In port_list_posix.cpp / port_list_win32.cpp.
std::vector<PortEntry> ListPorts(const PlatformPortResolver& resolver);

// The listing of FormatPortList below, for any platform's entries.
std::string FormatPortEntries(const std::vector<PortEntry>& entries, bool json);

// One line per COM name: the device it opens now (or "-"), then for a USB
// device its vendor:product ids, manufacturer, product and serial number, and
// its stable /dev/serial/by-id links on lines of their own. `json`: one JSON
// array of {name, device, usb, stable_links} (device and usb null when
// there is none), with "friendly_name" (null but on Windows).
// Windows: the same for the COM ports Windows knows (the registry's serial
// device map), with each port's friendly name, manufacturer and USB ids from
// the device manager, and the ports it knows beyond COM15 after them.
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
