// The configuration in a settings file, decoded the way the window shows it:
// as a readable listing, as JSON, and as the fields in which two images differ.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "image/memory_image.h"

namespace tav::cli {

// One shown field of the image and the bytes it is made of. Together the
// fields cover every byte of the image, the ones no page interprets included
// (those are `raw` and shown as hex).
struct ImageField {
    std::string name;   // e.g. "remote 12 serial"
    std::string value;  // as the window shows it, UTF-8
    std::size_t offset = 0;
    std::size_t length = 0;
    bool raw = false;
};

std::vector<ImageField> ImageFields(const MemoryImage& image);

// A field whose bytes differ between two images: its shown values and its
// bytes in hex on either side.
struct FieldDifference {
    std::string name;
    std::size_t offset = 0;
    std::size_t length = 0;
    std::string a;
    std::string b;
    std::string aBytes;
    std::string bBytes;
};

// Every field whose bytes differ, in image order.
std::vector<FieldDifference> DifferingFields(const MemoryImage& a, const MemoryImage& b);

// "NAME: A -> B" for every field whose bytes differ, in image order. When the
// shown values are the same, both sides carry their bytes in hex.
std::vector<std::string> DiffImages(const MemoryImage& a, const MemoryImage& b);

// One JSON array of {field, offset, length, a, b, a_bytes, b_bytes}.
std::string FormatDiffJson(const std::vector<FieldDifference>& differences);

// The readable listing: used remotes, clock events, display, scenarios.
std::string FormatImageText(const MemoryImage& image);

// One JSON object: remotes, clock_events, display, scenarios.
std::string FormatImageJson(const MemoryImage& image);

}  // namespace tav::cli
