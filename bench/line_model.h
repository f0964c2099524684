// What the 9600-baud line allows for a stretch of traffic: every byte of both
// directions one after the other (the line is half duplex), 10 bits a byte,
// plus the fixed pauses the protocol puts between the pieces of its frames.
#pragma once

#include <chrono>
#include <cstddef>
#include <vector>

#include "sim/receiver.h"

namespace tav::bench {

struct LineBudget {
    std::size_t toolBytes = 0;
    std::size_t receiverBytes = 0;
    // What the pauses add to the bytes' own time.
    std::chrono::nanoseconds pauses{0};

    // The shortest time the traffic can take on the line.
    std::chrono::duration<double> Limit() const;
};

// Reads the commands out of the tool's bytes of a traffic log taken over one
// or more device operations (each starting with "?") and adds up the pauses
// the protocol asks for around them: 50 ms after the version answer, after a
// record read's or write's header, after "t", "P" and "Z"; 10 ms between the
// data and the checksum of a record write and of the clock frame; 20 ms after
// "F". The receiver answers a read ("p", "P") at once, so the first 33 bytes
// of its answer travel during the tool's 50 ms pause and only the rest of the
// pause adds to the line. Bulk transfers ("P", "Z", "F") run to the end of
// the log.
LineBudget BudgetOf(const std::vector<sim::TrafficEntry>& traffic);

}  // namespace tav::bench
