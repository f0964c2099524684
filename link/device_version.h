// The receiver's answer to "?": six bytes, "v", what runs (application or boot
// loader), hardware major and minor, software major and minor. Decoded here
// once for the dispatcher, event reception, tavctl and the firmware update.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tav {

using DeviceVersion = std::array<std::uint8_t, 6>;

enum class VersionKind {
    kNoAnswer,     // no version answer: it does not start with "v"
    kApplication,  // "v", 0x07: the application runs
    kBootLoader,   // "v", "w": the boot loader runs
    kUnknown,      // "v" followed by anything else
};

VersionKind KindOf(const DeviceVersion& version);

// The version line the window shows for an application or boot-loader answer
// ("hardw.ver:1.00 soft.ver:1.26" or "boot ldr:1.00 soft.ver:1.05"); empty for
// any other answer.
std::string VersionText(const DeviceVersion& version);

// The application gate of the device operations: software major 0x01 with a
// minor up to 0x29.
bool ApplicationAccepted(const DeviceVersion& version);
// The boot-loader gate of the firmware update: hardware 1.00, software major
// 0x01 with a minor below 0x80.
bool BootLoaderAccepted(const DeviceVersion& version);
// The event history ("hi") from software 1.12 on: a software major above
// 0x01, or major 0x01 with a minor of 0x12 or more. Major 0x00 is always below
// 1.12, whatever its minor.
bool HistoryRequestAllowed(const DeviceVersion& version);

}  // namespace tav
