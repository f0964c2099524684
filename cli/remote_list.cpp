#include "remote_list.h"

#include <array>
#include <cstdio>
#include <map>
#include <optional>

#include "device_text.h"

namespace tav::cli {

namespace {

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos &&
        (text.empty() || (text.front() != ' ' && text.back() != ' '))) {
        return text;
    }
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    return out + "\"";
}

struct CsvRecord {
    std::vector<std::string> fields;
    std::string error;  // a record that cannot be split into fields
};

// RFC 4180: fields split by commas, records by CR LF (a bare LF is taken
// too), a field in double quotes may hold commas, line breaks and "" for a
// quote.
std::vector<CsvRecord> SplitCsv(std::string_view text) {
    std::vector<CsvRecord> records;
    CsvRecord current;
    std::string field;
    std::size_t i = 0;
    bool fieldQuoted = false;
    auto endField = [&] {
        current.fields.push_back(std::move(field));
        field.clear();
        fieldQuoted = false;
    };
    auto endRecord = [&] {
        endField();
        records.push_back(std::move(current));
        current = CsvRecord{};
    };
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"' && field.empty() && !fieldQuoted) {
            fieldQuoted = true;
            ++i;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                field += text[i++];
            }
            if (!closed) {
                current.error = "a quoted field is not closed";
                endRecord();
                return records;
            }
            if (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                current.error = "text after a closing quote";
                // Skip to the end of this line.
                while (i < text.size() && text[i] != '\n') {
                    ++i;
                }
            }
            continue;
        }
        if (c == ',') {
            endField();
            ++i;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            endRecord();
            i += 2;
        } else if (c == '\n') {
            endRecord();
            ++i;
        } else if (c == '"') {
            current.error = "a quote inside an unquoted field";
            field += c;
            ++i;
        } else {
            field += c;
            ++i;
        }
    }
    if (!field.empty() || fieldQuoted || !current.fields.empty()) {
        endRecord();
    }
    return records;
}

std::string Trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::optional<int> Number(const std::string& s, int low, int high) {
    const std::string t = Trimmed(s);
    if (t.empty() || t.size() > 4 || t.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const int n = std::stoi(t);
    if (n < low || n > high) {
        return std::nullopt;
    }
    return n;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::array<std::uint8_t, 4>> Serial(const std::string& s) {
    const std::string t = Trimmed(s);
    if (t.size() != 11) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 4> bytes{};
    for (std::size_t k = 0; k < 4; ++k) {
        const int hi = HexDigit(t[k * 3]);
        const int lo = HexDigit(t[k * 3 + 1]);
        if (hi < 0 || lo < 0 || (k < 3 && t[k * 3 + 2] != ':')) {
            return std::nullopt;
        }
        bytes[k] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return bytes;
}

struct Row {
    int remote = 0;  // 1..1000
    std::array<std::uint8_t, 4> serial{};
    int scenario = 0;
    std::string name;  // Windows-1250
};

std::size_t Utf8Characters(const std::string& s) {
    std::size_t n = 0;
    for (char c : s) {
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return n;
}

}  // namespace

std::string ExportRemotesCsv(const MemoryImage& image) {
    std::string out = "number,serial,scenario,name\r\n";
    for (int r = 0; r < kRemoteCount; ++r) {
        if (!IsRemoteSlotUsed(image, r)) {
            continue;
        }
        const std::string name = Windows1250ToUtf8(ReadDeviceText(image, TextFieldOffset(r)));
        out += std::to_string(r + 1) + "," + FormatSerialNumber(image, r) + "," +
               std::to_string(RemoteScenario(image, r)) + "," + CsvField(name) + "\r\n";
    }
    return out;
}

std::vector<std::string> ImportRemotesCsv(MemoryImage& image, std::string_view csv, int* imported) {
    if (csv.substr(0, 3) == "\xEF\xBB\xBF") {  // the mark some spreadsheets put first
        csv.remove_prefix(3);
    }
    std::vector<std::string> errors;
    std::vector<Row> rows;
    std::map<int, int> rowOfRemote;
    const std::vector<CsvRecord> records = SplitCsv(csv);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const CsvRecord& rec = records[i];
        const int rowNumber = static_cast<int>(i) + 1;
        std::vector<std::string> fields = rec.fields;
        while (fields.size() > 4 && fields.back().empty()) {
            fields.pop_back();  // trailing empty cells
        }
        if (rec.error.empty() && fields.size() == 1 && fields[0].empty()) {
            continue;  // an empty line
        }
        if (i == 0 && !fields.empty() && Trimmed(fields[0]) == "number") {
            continue;
        }
        std::vector<std::string> reasons;
        Row row;
        if (!rec.error.empty()) {
            reasons.push_back(rec.error);
        } else if (fields.size() != 4) {
            reasons.push_back(std::to_string(fields.size()) +
                              " fields, not 4 (number,serial,scenario,name)");
        } else {
            if (const auto n = Number(fields[0], 1, kRemoteCount)) {
                row.remote = *n;
            } else {
                reasons.push_back("number \"" + fields[0] + "\" is not in 1..1000");
            }
            if (const auto serial = Serial(fields[1])) {
                row.serial = *serial;
            } else {
                reasons.push_back("serial \"" + fields[1] +
                                  "\" is not four hex pairs like 12:34:56:7a");
            }
            if (const auto sc = Number(fields[2], 0, 3)) {
                row.scenario = *sc;
            } else {
                reasons.push_back("scenario \"" + fields[2] + "\" is not in 0..3");
            }
            const std::optional<std::string> name = Utf8ToWindows1250(fields[3]);
            if (!name) {
                reasons.push_back("the name holds a character that the receiver cannot store");
            } else if (name->size() > kDeviceTextLength) {
                reasons.push_back("the name has " + std::to_string(Utf8Characters(fields[3])) +
                                  " characters; at most 26 fit");
            } else if (name->find_first_of(std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09"
                                                       "\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\x13"
                                                       "\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d"
                                                       "\x1e\x1f\x7f",
                                                       33)) != std::string::npos) {
                reasons.push_back("the name holds a control character");
            } else {
                row.name = *name;
            }
            if (row.remote != 0) {
                const auto [it, fresh] = rowOfRemote.emplace(row.remote, rowNumber);
                if (!fresh) {
                    reasons.push_back("remote " + std::to_string(row.remote) +
                                      " is already in row " + std::to_string(it->second));
                }
            }
        }
        if (reasons.empty()) {
            rows.push_back(row);
            continue;
        }
        std::string line = "row " + std::to_string(rowNumber) + ": ";
        for (std::size_t k = 0; k < reasons.size(); ++k) {
            line += (k == 0 ? "" : "; ") + reasons[k];
        }
        errors.push_back(line);
    }
    if (!errors.empty()) {
        return errors;
    }
    for (const Row& row : rows) {
        const int r = row.remote - 1;
        auto rec = image.RecordAt(r);
        std::copy(row.serial.begin(), row.serial.end(), rec.begin());
        SetRemoteScenario(image, r, row.scenario);
        WriteDeviceText(image, TextFieldOffset(r), row.name);
    }
    if (imported != nullptr) {
        *imported = static_cast<int>(rows.size());
    }
    return {};
}

}  // namespace tav::cli
