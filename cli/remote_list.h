// Remote lists as spreadsheets: CSV with the columns number (1..1000),
// serial (as the window shows it, "%02x:%02x:%02x:%02x"), scenario (0..3) and
// name; and the checks one remote's fields pass, from a row or from the
// command line.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "csv.h"
#include "image/memory_image.h"

namespace tav::cli {

// What to change in one remote slot; unset fields stay as they are.
struct RemoteEdit {
    int remote = 0;  // 1..1000
    std::optional<std::array<std::uint8_t, 4>> serial;
    std::optional<int> scenario;
    std::optional<std::string> name;  // Windows-1250
};

// Each check takes the text as given and, when it is good, sets its part of
// `edit`; otherwise it adds the reason to `reasons`.
void CheckRemoteNumber(const std::string& text, RemoteEdit& edit,
                       std::vector<std::string>& reasons);
void CheckSerial(const std::string& text, RemoteEdit& edit, std::vector<std::string>& reasons);
void CheckScenario(const std::string& text, RemoteEdit& edit, std::vector<std::string>& reasons);
// The name in UTF-8: at most 26 characters that Windows-1250 holds, no
// control characters.
void CheckName(const std::string& text, RemoteEdit& edit, std::vector<std::string>& reasons);

// The serial number (bytes 0..3), then the scenario (bits 1..0 of byte 3),
// then the name (zero-filled), each where given; nothing else changes.
void ApplyRemoteEdit(MemoryImage& image, const RemoteEdit& edit);

enum class CsvHeader { kEnglish, kPolish };

// The header row and one row per remote slot in use, lines ended by CR LF, in
// `format`. A name a spreadsheet would take for a formula (starting with =,
// +, - or @) is written after an apostrophe, which the import takes off. The
// header is "number,serial,scenario,name" or, in Polish,
// "numer;numer seryjny;scenariusz;nazwa".
std::string ExportRemotesCsv(const MemoryImage& image, const CsvFormat& format = {},
                             CsvHeader header = CsvHeader::kEnglish);

// What a spreadsheet for Polish offices opens right on a double click:
// semicolons, UTF-8 with a byte-order mark.
inline constexpr CsvFormat kExcelFormat{';', CsvEncoding::kUtf8WithMark};

struct RemotesImportOptions {
    bool replace = false;  // remotes in use that the file does not list are emptied
    bool strict = false;   // a serial whose last two bits disagree with the scenario is an error
};

struct RemotesImport {
    std::vector<std::string> errors;    // "row N: REASON", one per bad row
    std::vector<std::string> warnings;  // "row N: REASON", rows imported all the same
    int imported = 0;
    // Remotes (1..1000) in use in the image that the file does not list:
    // emptied with `replace`, left as they are otherwise.
    std::vector<int> notListed;
    CsvFormat format;  // as the file was found
};

// Checks every row of the CSV file `file` (its encoding and separator found
// by DecodeCsv; a header row whose first field is "number" or "numer" is
// skipped, so are rows whose cells are all empty). When every row is good,
// each row's remote gets its serial, scenario and name (ApplyRemoteEdit) and,
// with `replace`, every remote in use that no row names is emptied (serial
// 00:00:00:00, no name). Otherwise `image` is untouched and `errors` names
// each bad row (N counts records from 1, the header included, as a
// spreadsheet numbers its rows). A serial whose last two bits name another
// scenario than the row's is a warning (an error with `strict`): the
// scenario column wins.
RemotesImport ImportRemotesCsv(MemoryImage& image, std::string_view file,
                               const RemotesImportOptions& options = {});

}  // namespace tav::cli
