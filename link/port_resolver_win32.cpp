// COMn on Windows. The plain name opens only COM1..COM9; the device namespace
// form \\.\COMn opens every port.
#include <cctype>
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

bool PlatformPortResolver::IsSerialDevice(const std::string& path) const {
    const std::string prefix = "\\\\.\\COM";
    if (path.size() <= prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(path[i])) != prefix[i]) {
            return false;
        }
    }
    return path.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

}  // namespace tav
