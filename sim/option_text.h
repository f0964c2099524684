// Values as tav1000r-sim takes them on its command line: counts and the
// faults of --fault (KIND:AT[:COUNT], e.g. "stores-other:3:6"). The tests
// that describe a receiver in the same words use them too.
#pragma once

#include <string_view>

#include "sim/receiver_engine.h"

namespace tav::sim {

// A decimal number 0..1,000,000,000 and nothing else.
bool ParseInt(std::string_view text, int* value);
// KIND:AT[:COUNT] as listed in tav1000r-sim --help; false for anything else.
bool ParseFault(std::string_view text, Fault* fault);

}  // namespace tav::sim
