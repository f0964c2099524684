// COMn on Windows. The plain name opens only COM1..COM9; the device namespace
// form \\.\COMn opens every port.
#include <string>

#include "link/port_resolver.h"

namespace tav {

std::optional<std::string> PlatformPortResolver::DevicePath(int index) const {
    if (index < 0 || index >= kPortCount) {
        return std::nullopt;
    }
    return "\\\\.\\" + std::string(PortNames[static_cast<std::size_t>(index)]);
}

SerialDeviceInfo PlatformPortResolver::DescribeDevice(const std::string&) const {
    return {};
}

}  // namespace tav
