// Simulated receivers on ptys for the tests that drive the real serial
// backend (Linux only: openpty).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "link/port_resolver.h"
#include "sim/receiver.h"

namespace tav::testsupport {

// A simulated receiver on a pty, started and put behind the port `port` of
// `resolver` (0 is "COM1"); null, with the failure reported, when it cannot
// start.
inline std::unique_ptr<sim::PtyReceiver> ReceiverBehindPort(FixedPortResolver& resolver, int port,
                                                            sim::ReceiverOptions options = {}) {
    auto receiver = std::make_unique<sim::PtyReceiver>(std::move(options));
    std::string error;
    if (!receiver->Start(&error)) {
        ADD_FAILURE() << "the simulated receiver did not start: " << error;
        return nullptr;
    }
    resolver.Set(port, receiver->DevicePath());
    return receiver;
}

}  // namespace tav::testsupport
