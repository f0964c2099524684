// Remote lists as spreadsheets: CSV (RFC 4180) with the columns number
// (1..1000), serial (as the window shows it, "%02x:%02x:%02x:%02x"),
// scenario (0..3) and name (UTF-8).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "image/memory_image.h"

namespace tav::cli {

// The header row and one row per remote slot in use, lines ended by CR LF.
std::string ExportRemotesCsv(const MemoryImage& image);

// Checks every row of `csv` (a header row whose first field is "number" is
// skipped, so are empty lines). When every row is good, each row's remote
// gets the serial number (bytes 0..3), then the scenario (bits 1..0 of byte
// 3) and the name (Windows-1250, zero-filled); nothing else changes and the
// result is empty. Otherwise `image` is untouched and the result holds one
// line per bad row: "row N: REASON" (N counts records from 1, the header
// included, as a spreadsheet numbers its rows).
std::vector<std::string> ImportRemotesCsv(MemoryImage& image, std::string_view csv,
                                          int* imported = nullptr);

}  // namespace tav::cli
