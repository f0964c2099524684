#include "link/device_version.h"

#include <cstdio>

#include "image/wire_protocol.h"

namespace tav {

VersionKind KindOf(const DeviceVersion& version) {
    if (version[0] != wire::kVersionMark) {
        return VersionKind::kNoAnswer;
    }
    switch (version[1]) {
        case wire::kApplicationRunning:
            return VersionKind::kApplication;
        case wire::kBootLoaderRunning:
            return VersionKind::kBootLoader;
        default:
            return VersionKind::kUnknown;
    }
}

std::string VersionText(const DeviceVersion& version) {
    const char* format = nullptr;
    switch (KindOf(version)) {
        case VersionKind::kApplication:
            format = "hardw.ver:%1x.%02x soft.ver:%1x.%02x";
            break;
        case VersionKind::kBootLoader:
            format = "boot ldr:%1x.%02x soft.ver:%1x.%02x";
            break;
        default:
            return {};
    }
    char text[64];
    std::snprintf(text, sizeof text, format, unsigned{version[2]}, unsigned{version[3]},
                  unsigned{version[4]}, unsigned{version[5]});
    return text;
}

bool ApplicationAccepted(const DeviceVersion& version) {
    return version[4] == 0x01 && version[5] <= 0x29;
}

bool BootLoaderAccepted(const DeviceVersion& version) {
    return version[2] == 0x01 && version[3] == 0x00 && version[4] == 0x01 && version[5] < 0x80;
}

bool HistoryRequestAllowed(const DeviceVersion& version) {
    return version[4] > 0x01 || (version[4] == 0x01 && version[5] >= 0x12);
}

}  // namespace tav
