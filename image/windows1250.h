// The receiver's texts are single-byte Windows-1250. Both front ends convert
// through this table rather than a toolkit codec, which a Qt built without ICU
// does not have.
//
// Each of the 256 bytes stands for exactly one character and each of those
// 256 characters for exactly one byte, so a text read from the receiver comes
// back byte for byte. Every other character has no byte: the receiver cannot
// store it. That includes the invisible ones (zero-width marks, direction
// marks, variation selectors) that some converters drop without a word;
// dropping would shift the rest of a fixed-length field and hide the loss, so
// here they are missing like any other. The window stores "?" in place of a
// missing character, tavctl refuses the text.
#pragma once

#include <string>
#include <string_view>

namespace tav {

// One character per byte (bytes 0x81, 0x83, 0x88, 0x90 and 0x98, unused by
// Windows-1250, become the control characters of the same number).
std::u16string DecodeWindows1250(std::string_view bytes);

struct Windows1250Text {
    std::string bytes;  // one byte per character, "?" for a missing one
    bool complete;      // false when any character had no byte
};

// A surrogate pair is one character; it never has a byte, nor has a lone
// surrogate.
Windows1250Text EncodeWindows1250(std::u16string_view text);

}  // namespace tav
