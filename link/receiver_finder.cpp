#include "link/receiver_finder.h"

#include "link/protocol.h"

namespace tav {

std::optional<FoundReceiver> FindReceiver(std::span<const std::string> devicePaths,
                                          const SerialLink::PortFactory& makePort, Timing& timing,
                                          const std::function<bool()>& stop) {
    for (std::size_t i = 0; i < devicePaths.size(); ++i) {
        if (stop && stop()) {
            break;
        }
        FixedPortResolver resolver;
        resolver.Set(0, devicePaths[i]);
        SerialLink link(makePort, resolver, timing);
        if (!link.OpenSelectedPort(0).opened) {
            continue;
        }
        MemoryImage image;
        QuietOperationHost host;
        SystemLocalClock clock;
        DeviceContext ctx{.link = link, .image = image, .host = host, .localClock = clock};
        const VersionKind kind = QueryVersion(ctx);
        link.ClosePort();
        if (kind == VersionKind::kApplication || kind == VersionKind::kBootLoader) {
            return FoundReceiver{i, ctx.version};
        }
    }
    return std::nullopt;
}

}  // namespace tav
