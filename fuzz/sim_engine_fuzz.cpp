// The simulated receiver's engine fed arbitrary bytes from a client, with the
// line falling quiet at arbitrary points and faults injected: no answer is
// larger than a record frame, a version answer or the history, and a client
// that never sends a write or erase command ("z", "Z", "c") changes nothing in
// the memory.
#include <algorithm>
#include <cstdlib>

#include "sim/receiver_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    tav::sim::ReceiverOptions options;
    options.mode =
        data[0] & 1 ? tav::sim::ReceiverMode::BootLoader : tav::sim::ReceiverMode::Application;
    options.history = {"2026-12-01 08:02:11 nadajnik 0001 przycisk 1", ""};
    for (std::size_t i = 0; i < tav::kImageSize; ++i) {
        options.memory.at(i) = static_cast<std::uint8_t>(i * 13 + 1);
    }
    tav::sim::ReceiverEngine engine(options);
    const tav::MemoryImage before = engine.Memory();
    if (data[0] & 2) {
        const auto kind = static_cast<tav::sim::FaultKind>(data[1] % 8);
        engine.InjectFault({kind, data[2] % 64, data[2] % 40});
    }
    bool writes = false;
    for (std::size_t i = 3; i < size; ++i) {
        const std::uint8_t b = data[i];
        // A byte 0xFE stands for the line falling quiet for the frame timeout.
        if (b == 0xFE) {
            engine.AbortFrame();
            continue;
        }
        writes = writes || b == 'z' || b == 'Z' || b == 'c';
        if (const auto reply = engine.Receive(b)) {
            if (reply->bytes.size() > 4096) {
                std::abort();
            }
        }
    }
    if (!writes && !(engine.Memory() == before)) {
        std::abort();
    }
    return 0;
}
