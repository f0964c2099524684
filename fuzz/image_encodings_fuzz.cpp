// Arbitrary record bytes and texts through every encoding routine: nothing
// reads or writes outside the image, and the promised round trips hold.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "image/memory_image.h"
#include "image/older_model_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tav::MemoryImage image;
    std::copy_n(data, std::min(size, tav::kImageSize), image.Bytes().begin());
    const std::string text(reinterpret_cast<const char*>(data), size);

    for (int event = 0; event < 4; ++event) {
        const tav::ClockEvent decoded = tav::DecodeClockEvent(image, event);
        if (decoded.pattern.size() != 19) {
            std::abort();
        }
        // A decoded pattern holds only hex digits and "*"; the ones made of
        // digits and "*" alone come back unchanged.
        tav::EncodeClockEvent(image, event, decoded.pattern, decoded.switchedOn, decoded.button);
        const bool digitsOnly =
            std::all_of(decoded.pattern.begin(), decoded.pattern.end(), [](char c) {
                return (c >= '0' && c <= '9') || c == '*' || c == '-' || c == ' ' || c == ':';
            });
        if (digitsOnly && !(tav::DecodeClockEvent(image, event) == decoded)) {
            std::abort();
        }
        tav::EncodeClockEvent(image, event, text, size % 2 == 0, static_cast<std::uint8_t>(size));
    }
    for (std::uint8_t a = 0;; ++a) {
        if (tav::ScenarioCellText(a).empty()) {
            std::abort();
        }
        if (a == 255) {
            break;
        }
    }
    tav::WriteDeviceText(image, tav::TextFieldOffset(1003), text);
    if (tav::ReadDeviceText(image, tav::TextFieldOffset(1003)) !=
        text.substr(0, std::min<std::size_t>(26, text.find('\0')))) {
        std::abort();
    }
    tav::WriteDisplayText(image, text);
    tav::ImportOlderModelEntries(image, {data, size});
    for (int r = 0; r < tav::kRemoteCount; ++r) {
        (void)tav::IsRemoteSlotUsed(image, r);
        (void)tav::FormatSerialNumber(image, r);
    }
    return 0;
}
