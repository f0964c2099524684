// The demo's receivers: a plausible configuration for the simulated TAV-1000R
// on "COM1" and one in boot-loader mode on "COM2".
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "image/memory_image.h"
#include "link/port_resolver.h"
#include "link/serial_link.h"
#include "sim/receiver_engine.h"

namespace tav::demo {

// Named remotes, the default scenarios with their timers, four clock events
// with names, the user text on the display.
MemoryImage DemoMemory();

// A 30,720-byte test pattern for the boot loader on "COM2" to take: made by
// the demo, never firmware for a real receiver (which the real program never
// carries). Each 128-byte block starts with its number, so a block sent in the
// wrong place shows.
std::span<const std::uint8_t> DemoFirmware();

// The options of the receivers on "COM1" and "COM2".
sim::ReceiverOptions DemoApplicationOptions();
sim::ReceiverOptions DemoBootLoaderOptions();

// The receivers behind "COM1" and "COM2". On Linux they serve ptys the
// window opens with its serial backend; on Windows, which has no ptys, they
// run in this process behind serial-port objects of their own.
struct DemoReceivers {
    std::shared_ptr<FixedPortResolver> resolver;  // COM1, COM2 -> the receivers
    // Opens the resolver's devices; empty: the platform's serial port.
    SerialLink::PortFactory makePort;
    std::string applicationDevice;  // what COM1 opens, shown at start
    std::string bootLoaderDevice;   // what COM2 opens
    std::shared_ptr<void> running;  // the receivers run while a copy lives
};

// Starts both receivers; throws std::runtime_error when they cannot start.
DemoReceivers StartDemoReceivers(bool demoEvents = true);

}  // namespace tav::demo
