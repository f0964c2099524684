#include "remote_list.h"

#include <algorithm>
#include <map>
#include <utility>

#include "device_text.h"
#include "translation.h"

namespace tav::cli {

namespace {

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

std::size_t Utf8Characters(const std::string& s) {
    std::size_t n = 0;
    for (char c : s) {
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return n;
}

// A spreadsheet takes a cell starting with one of these for a formula.
bool LooksLikeFormula(std::string_view text) {
    return !text.empty() && std::string_view("=+-@").find(text.front()) != std::string_view::npos;
}

// A formula-like text after any number of apostrophes: such a name is
// exported after one more, which the import takes off again.
bool NeedsGuard(std::string_view text) {
    return LooksLikeFormula(text.substr(std::min(text.find_first_not_of('\''), text.size())));
}

const std::array<std::string, 4> kEnglishHeader = {"number", "serial", "scenario", "name"};
const std::array<std::string, 4> kPolishHeader = {"numer", "numer seryjny", "scenariusz", "nazwa"};

// The first cell of a header row, in either language, any case.
bool IsHeaderCell(const std::string& cell) {
    std::string t = Trimmed(cell);
    std::transform(t.begin(), t.end(), t.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return t == kEnglishHeader[0] || t == kPolishHeader[0];
}

bool AllEmpty(const std::vector<std::string>& fields) {
    return std::all_of(fields.begin(), fields.end(),
                       [](const std::string& f) { return Trimmed(f).empty(); });
}

}  // namespace

void CheckRemoteNumber(const std::string& text, RemoteEdit& edit,
                       std::vector<std::string>& reasons) {
    if (const auto n = Number(text, 1, kRemoteCount)) {
        edit.remote = *n;
    } else {
        reasons.push_back(Tr(Tavctl::tr("number \"%1\" is not in 1..1000"), text));
    }
}

void CheckSerial(const std::string& text, RemoteEdit& edit, std::vector<std::string>& reasons) {
    if (const auto serial = Serial(text)) {
        edit.serial = *serial;
    } else {
        reasons.push_back(
            Tr(Tavctl::tr("serial \"%1\" is not four hex pairs like 12:34:56:7a"), text));
    }
}

void CheckScenario(const std::string& text, RemoteEdit& edit, std::vector<std::string>& reasons) {
    if (const auto sc = Number(text, 0, 3)) {
        edit.scenario = *sc;
    } else {
        reasons.push_back(Tr(Tavctl::tr("scenario \"%1\" is not in 0..3"), text));
    }
}

void CheckName(const std::string& text, RemoteEdit& edit, std::vector<std::string>& reasons) {
    const std::optional<std::string> name = Utf8ToWindows1250(text);
    if (!name) {
        reasons.push_back(
            Tr(Tavctl::tr("the name holds a character that the receiver cannot store")));
    } else if (name->size() > kDeviceTextLength) {
        reasons.push_back(Tr(Tavctl::tr("the name has %1 characters; at most 26 fit"),
                             std::to_string(Utf8Characters(text))));
    } else if (std::any_of(name->begin(), name->end(), [](char c) {
                   const auto b = static_cast<unsigned char>(c);
                   return b < 0x20 || b == 0x7F;
               })) {
        reasons.push_back(Tr(Tavctl::tr("the name holds a control character")));
    } else {
        edit.name = *name;
    }
}

void ApplyRemoteEdit(MemoryImage& image, const RemoteEdit& edit) {
    const int r = edit.remote - 1;
    if (edit.serial) {
        std::copy(edit.serial->begin(), edit.serial->end(), image.RecordAt(r).begin());
    }
    if (edit.scenario) {
        SetRemoteScenario(image, r, *edit.scenario);
    }
    if (edit.name) {
        WriteDeviceText(image, TextFieldOffset(r), *edit.name);
    }
}

std::string ExportRemotesCsv(const MemoryImage& image, const CsvFormat& format, CsvHeader header) {
    const char sep = format.separator;
    const bool windows1250 = format.encoding == CsvEncoding::kWindows1250;
    std::string out = format.encoding == CsvEncoding::kUtf8WithMark ? "\xEF\xBB\xBF" : "";
    const auto& names = header == CsvHeader::kPolish ? kPolishHeader : kEnglishHeader;
    for (std::size_t k = 0; k < names.size(); ++k) {
        out += (k == 0 ? "" : std::string(1, sep)) + names[k];
    }
    out += "\r\n";
    for (int r = 0; r < kRemoteCount; ++r) {
        if (!IsRemoteSlotUsed(image, r)) {
            continue;
        }
        // Windows-1250 is what the receiver stores: its bytes go as they are.
        const std::string stored = ReadDeviceText(image, TextFieldOffset(r));
        std::string name = windows1250 ? stored : Windows1250ToUtf8(stored);
        if (NeedsGuard(name)) {
            name.insert(0, 1, '\'');
        }
        out += std::to_string(r + 1) + sep + FormatSerialNumber(image, r) + sep +
               std::to_string(RemoteScenario(image, r)) + sep + CsvField(name, sep) + "\r\n";
    }
    return out;
}

RemotesImport ImportRemotesCsv(MemoryImage& image, std::string_view file,
                               const RemotesImportOptions& options) {
    const CsvText text = DecodeCsv(file);
    RemotesImport result;
    result.format = text.format;
    std::vector<RemoteEdit> edits;
    std::map<int, int> rowOfRemote;
    const std::vector<CsvRecord> records = SplitCsv(text.utf8, text.format.separator);
    bool firstRow = true;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const CsvRecord& rec = records[i];
        const int rowNumber = static_cast<int>(i) + 1;
        std::vector<std::string> fields = rec.fields;
        while (fields.size() > 4 && fields.back().empty()) {
            fields.pop_back();  // trailing empty cells
        }
        if (rec.error.empty() && AllEmpty(fields)) {
            continue;  // an empty line, or a row of empty cells
        }
        if (std::exchange(firstRow, false) && IsHeaderCell(fields[0])) {
            continue;
        }
        std::vector<std::string> reasons;
        RemoteEdit edit;
        if (!rec.error.empty()) {
            reasons.push_back(rec.error);
        } else if (fields.size() != 4) {
            reasons.push_back(Tr(Tavctl::tr("%1 fields, not 4 (number,serial,scenario,name)"),
                                 std::to_string(fields.size())));
        } else {
            CheckRemoteNumber(fields[0], edit, reasons);
            CheckSerial(fields[1], edit, reasons);
            CheckScenario(fields[2], edit, reasons);
            // An apostrophe before a formula-like name kept it text.
            std::string name = fields[3];
            if (name.size() > 1 && name[0] == '\'' && NeedsGuard(name)) {
                name.erase(0, 1);
            }
            CheckName(name, edit, reasons);
            if (edit.serial && edit.scenario && ((*edit.serial)[3] & 3) != *edit.scenario) {
                const std::string disagreement =
                    Tr(Tavctl::tr("the serial %1 ends in scenario %2, the scenario column says %3"),
                       Trimmed(fields[1]), std::to_string((*edit.serial)[3] & 3),
                       std::to_string(*edit.scenario));
                if (options.strict) {
                    reasons.push_back(disagreement);
                } else {
                    result.warnings.push_back(Tr(Tavctl::tr("row %1: %2; scenario %3 is stored"),
                                                 std::to_string(rowNumber), disagreement,
                                                 std::to_string(*edit.scenario)));
                }
            }
            if (edit.remote != 0) {
                const auto [it, fresh] = rowOfRemote.emplace(edit.remote, rowNumber);
                if (!fresh) {
                    reasons.push_back(Tr(Tavctl::tr("remote %1 is already in row %2"),
                                         std::to_string(edit.remote), std::to_string(it->second)));
                }
            }
        }
        if (reasons.empty()) {
            edits.push_back(edit);
            continue;
        }
        std::string line = Tr(Tavctl::tr("row %1: "), std::to_string(rowNumber));
        for (std::size_t k = 0; k < reasons.size(); ++k) {
            line += (k == 0 ? "" : "; ") + reasons[k];
        }
        result.errors.push_back(line);
    }
    if (!result.errors.empty()) {
        result.warnings.clear();
        return result;
    }
    for (int r = 0; r < kRemoteCount; ++r) {
        if (IsRemoteSlotUsed(image, r) && rowOfRemote.count(r + 1) == 0) {
            result.notListed.push_back(r + 1);
        }
    }
    for (const RemoteEdit& edit : edits) {
        ApplyRemoteEdit(image, edit);
    }
    if (options.replace) {
        for (int remote : result.notListed) {
            RemoteEdit empty;
            empty.remote = remote;
            empty.serial = std::array<std::uint8_t, 4>{};
            empty.name = std::string();
            ApplyRemoteEdit(image, empty);
        }
    }
    result.imported = static_cast<int>(edits.size());
    return result;
}

}  // namespace tav::cli
