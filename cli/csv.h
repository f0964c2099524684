// CSV as spreadsheets write it: cells split by a comma or a semicolon,
// RFC 4180 quoting, UTF-8 (with or without a byte-order mark) or, as a Polish
// spreadsheet on Windows saves it, Windows-1250.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav::cli {

enum class CsvEncoding { kUtf8, kUtf8WithMark, kWindows1250 };

struct CsvFormat {
    char separator = ',';
    CsvEncoding encoding = CsvEncoding::kUtf8;
};

// "UTF-8, cells split by ','", for messages.
std::string DescribeCsvFormat(const CsvFormat& format);

// Names for --encoding: "utf-8", "utf-8-bom", "windows-1250".
bool ParseCsvEncoding(std::string_view name, CsvEncoding& encoding);

struct CsvRecord {
    std::vector<std::string> fields;
    std::string error;  // a record that cannot be split into fields
};

// A file's text in UTF-8 and how it was written: the mark is dropped; a text
// that is not valid UTF-8 is read as Windows-1250 (after a mark too, which
// some programs put before any encoding); the separator is the one
// of ',' and ';' that the first non-empty row holds more of outside quotes
// (',' when neither).
struct CsvText {
    std::string utf8;
    CsvFormat format;
};
CsvText DecodeCsv(std::string_view file);

// Splits UTF-8 CSV into records: cells split by `separator`, records by CR LF
// (a bare LF is taken too); a cell in double quotes may hold separators, line
// breaks and "" for a quote.
std::vector<CsvRecord> SplitCsv(std::string_view text, char separator);

// `text` as one cell: quoted when it holds the separator, a quote, a line
// break or spaces at either end.
std::string CsvField(const std::string& text, char separator);

}  // namespace tav::cli
