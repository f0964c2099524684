// tavctl ports on Windows: the COM ports Windows knows and what the device
// manager knows of each (PlatformPortResolver::PresentPorts).
#include <map>
#include <vector>

#include "port_list.h"

namespace tav::cli {

std::vector<PortEntry> ListPorts(const PlatformPortResolver& resolver) {
    std::map<int, PresentPort> present;
    for (const PresentPort& p : resolver.PresentPorts()) {
        present[p.index] = p;
    }
    // COM1..COM15 first, each whether Windows knows it or not; then the
    // ports Windows knows beyond them, in number order.
    std::vector<int> indexes;
    for (int i = 0; i < kPortCount; ++i) {
        indexes.push_back(i);
    }
    for (const auto& [index, port] : present) {
        if (index >= kPortCount) {
            indexes.push_back(index);
        }
    }
    std::vector<PortEntry> entries;
    for (const int index : indexes) {
        PortEntry e;
        e.name = PortName(index);
        if (const auto p = present.find(index); p != present.end()) {
            e.device = p->second.device;
            e.friendlyName = p->second.description;
            e.info.manufacturer = p->second.manufacturer;
            e.info.vendorId = p->second.vendorId;
            e.info.productId = p->second.productId;
            if (e.info.IsUsb()) {
                e.info.product = p->second.description;
            }
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

}  // namespace tav::cli
