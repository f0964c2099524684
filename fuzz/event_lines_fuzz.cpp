// The event line assembler on arbitrary received bytes, cut into arbitrary
// ticks. Checks that lines stay within their limits and that every received
// character comes out exactly once (zero bytes, line feeds and the carriage
// returns before them excepted).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "link/event_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t textOut = 0;
    bool markerDue = false;
    tav::EventLineAssembler lines([&](std::string_view line) {
        if (markerDue) {
            markerDue = false;
            return;
        }
        if (line == tav::kHistoryEndMarker) {
            return;
        }
        if (line.size() > tav::kMaxEventLineLength || line.find('\n') != std::string_view::npos) {
            std::abort();
        }
        textOut += line.size();
    });

    // Each tick: one control byte, then that many times 5 bytes of data
    // (0: a silent tick, 255: a history request).
    std::string stream;  // what was received, zero bytes removed
    std::size_t at = 0;
    while (at < size) {
        const std::uint8_t control = data[at++];
        if (control == 255) {
            markerDue = true;
            lines.BeginHistory();
            continue;
        }
        const std::size_t n = std::min<std::size_t>(control * 5u, size - at);
        const std::span<const std::uint8_t> chunk(data + at, n);
        at += n;
        for (std::uint8_t b : chunk) {
            if (b != 0) {
                stream.push_back(static_cast<char>(b));
            }
        }
        lines.Poll(chunk);
        if (lines.pending().size() > tav::kLineAccumulatorCapacity ||
            lines.pending().find('\n') != std::string_view::npos) {
            std::abort();
        }
    }

    std::size_t dropped = 0;
    for (std::size_t i = 0; i < stream.size(); ++i) {
        if (stream[i] == '\n') {
            dropped += (i > 0 && stream[i - 1] == '\r') ? 2 : 1;
        }
    }
    if (textOut + lines.pending().size() + dropped != stream.size()) {
        std::abort();
    }
    return 0;
}
