// The timer grid's cell reader on arbitrary typed text: it agrees with the C
// library's own decimal reading of the cell's first 49 characters (saturated
// to 32 bits, then clamped to the field's range), and the text it shows for
// the value reads back as the same value.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>

#include "image/memory_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const int field = data[0] % tav::kTimerFields;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::uint8_t value = tav::TimerFieldFromText(text, field);

    const std::string cell = text.substr(0, 49);  // a zero byte ends it, as in C
    long long reference = std::strtoll(cell.c_str(), nullptr, 10);
    reference = std::clamp<long long>(reference, INT_MIN, INT_MAX);
    reference = std::clamp<long long>(reference, 0, tav::TimerFieldMaximum(field));
    if (value != reference || value > tav::TimerFieldMaximum(field)) {
        std::abort();
    }
    if (tav::TimerFieldFromText(tav::TimerFieldText(value, field), field) != value) {
        std::abort();
    }
    return 0;
}
