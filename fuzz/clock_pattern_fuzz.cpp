// The clock-event pattern encoder and decoder on arbitrary patterns and
// entries: the decoder always gives the 19-character layout, an entry whose
// nibbles are digits or wildcards survives decoding and encoding, a pattern of
// digits and "*" survives encoding and decoding, and nothing outside the
// entry changes.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "image/memory_image.h"

namespace {

bool DigitOrWildcardNibbles(const std::uint8_t* entry) {
    for (int i = 2; i < 8; ++i) {
        for (const int nibble : {entry[i] >> 4, entry[i] & 0x0F}) {
            if (nibble > 9 && nibble != 0x0F) {
                return false;
            }
        }
    }
    return true;
}

bool LaidOut(const std::string& p) {
    return p.size() == 19 && p.compare(0, 2, "20") == 0 && p[4] == '-' && p[7] == '-' &&
           p[10] == ' ' && p[13] == ':' && p[16] == ':';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 10) {
        return 0;
    }
    const int event = data[0] & 3;
    const std::size_t entry = tav::kClockEventOffset + static_cast<std::size_t>(event) * 8;
    tav::MemoryImage image;
    std::copy_n(data + 1, 8, image.Bytes().begin() + static_cast<std::ptrdiff_t>(entry));
    const tav::MemoryImage before = image;

    // Entry -> pattern -> entry.
    const tav::ClockEvent shown = tav::DecodeClockEvent(image, event);
    if (!LaidOut(shown.pattern) || shown.button != data[2] || shown.switchedOn != (data[1] == 0)) {
        std::abort();
    }
    tav::EncodeClockEvent(image, event, shown.pattern, shown.switchedOn, shown.button);
    if (DigitOrWildcardNibbles(data + 1)) {
        if (!std::equal(image.Bytes().begin() + static_cast<std::ptrdiff_t>(entry) + 2,
                        image.Bytes().begin() + static_cast<std::ptrdiff_t>(entry) + 8, data + 3)) {
            std::abort();
        }
    }

    // Any typed text -> entry -> pattern.
    const std::string typed(reinterpret_cast<const char*>(data + 9), size - 9);
    tav::EncodeClockEvent(image, event, typed, data[0] & 4, data[1]);
    for (std::size_t i = 0; i < tav::kImageSize; ++i) {
        if ((i < entry || i >= entry + 8) && image.at(i) != before.at(i)) {
            std::abort();
        }
    }
    const tav::ClockEvent back = tav::DecodeClockEvent(image, event);
    if (!LaidOut(back.pattern)) {
        std::abort();
    }
    bool digitsOnly = typed.size() >= 19 && LaidOut(typed.substr(0, 19));
    for (const std::size_t at : {2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18}) {
        digitsOnly = digitsOnly && at < typed.size() &&
                     ((typed[at] >= '0' && typed[at] <= '9') || typed[at] == '*');
    }
    if (digitsOnly && back.pattern != typed.substr(0, 19)) {
        std::abort();
    }
    return 0;
}
