// The demo's receivers: a plausible configuration for the simulated TAV-1000R
// on "COM1" and one in boot-loader mode on "COM2".
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "image/memory_image.h"
#include "link/port_resolver.h"
#include "sim/receiver.h"

namespace tav::demo {

// Named remotes, the default scenarios with their timers, four clock events
// with names, the user text on the display.
MemoryImage DemoMemory();

// A 30,720-byte test pattern for the boot loader on "COM2" to take: made by
// the demo, never firmware for a real receiver (which the real program never
// carries). Each 128-byte block starts with its number, so a block sent in the
// wrong place shows.
std::span<const std::uint8_t> DemoFirmware();

struct DemoReceivers {
    std::unique_ptr<sim::PtyReceiver> application;  // COM1
    std::unique_ptr<sim::PtyReceiver> bootLoader;   // COM2
    std::shared_ptr<FixedPortResolver> resolver;    // COM1, COM2 -> their ptys
};

// Starts both receivers; throws std::runtime_error when a pty cannot be made.
DemoReceivers StartDemoReceivers(bool demoEvents = true);

}  // namespace tav::demo
