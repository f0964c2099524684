#include "link/port_resolver.h"

namespace tav {

const std::array<std::string_view, kPortCount> PortNames = {
    "COM1", "COM2",  "COM3",  "COM4",  "COM5",  "COM6",  "COM7",  "COM8",
    "COM9", "COM10", "COM11", "COM12", "COM13", "COM14", "COM15",
};

std::optional<std::string> FixedPortResolver::DevicePath(int index) const {
    if (index < 0 || index >= kPortCount || paths_[static_cast<std::size_t>(index)].empty()) {
        return std::nullopt;
    }
    return paths_[static_cast<std::size_t>(index)];
}

}  // namespace tav
