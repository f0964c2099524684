// tavctl ports on Linux: the resolver's devices and what sysfs knows of them.
#include "port_list.h"

namespace tav::cli {

std::vector<PortEntry> ListPorts(const PlatformPortResolver& resolver) {
    std::vector<PortEntry> entries;
    for (int i = 0; i < kPortCount; ++i) {
        PortEntry e;
        e.name = std::string(PortNames[static_cast<std::size_t>(i)]);
        e.device = resolver.DevicePath(i);
        if (e.device) {
            e.info = resolver.DescribeDevice(*e.device);
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

}  // namespace tav::cli
