#include "csv.h"

#include "device_text.h"
#include "translation.h"

namespace tav::cli {

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int length = 0;
        unsigned min = 0;
        unsigned code = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            length = 2, min = 0x80, code = b & 0x1Fu;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3, min = 0x800, code = b & 0x0Fu;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4, min = 0x10000, code = b & 0x07u;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(length) > s.size()) {
            return false;
        }
        for (int k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((c & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (c & 0x3Fu);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += static_cast<std::size_t>(length);
    }
    return true;
}

char DetectSeparator(std::string_view text) {
    int commas = 0;
    int semicolons = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == '\n' || c == '\r')) {
            if (commas + semicolons > 0) {
                break;  // the first row that has any
            }
        } else if (!quoted && c == ',') {
            ++commas;
        } else if (!quoted && c == ';') {
            ++semicolons;
        }
    }
    return semicolons > commas ? ';' : ',';
}

}  // namespace

std::string DescribeCsvFormat(const CsvFormat& format) {
    const std::string encoding = format.encoding == CsvEncoding::kWindows1250
                                     ? std::string("Windows-1250")
                                 : format.encoding == CsvEncoding::kUtf8WithMark
                                     ? Tr(Tavctl::tr("UTF-8 with a byte-order mark"))
                                     : std::string("UTF-8");
    return Tr(Tavctl::tr("%1, cells split by '%2'"), encoding, std::string(1, format.separator));
}

bool ParseCsvEncoding(std::string_view name, CsvEncoding& encoding) {
    if (name == "utf-8") {
        encoding = CsvEncoding::kUtf8;
    } else if (name == "utf-8-bom") {
        encoding = CsvEncoding::kUtf8WithMark;
    } else if (name == "windows-1250") {
        encoding = CsvEncoding::kWindows1250;
    } else {
        return false;
    }
    return true;
}

CsvText DecodeCsv(std::string_view file) {
    CsvText text;
    const bool mark = file.substr(0, 3) == "\xEF\xBB\xBF";
    if (mark) {
        file.remove_prefix(3);
    }
    if (mark && IsValidUtf8(file)) {
        text.format.encoding = CsvEncoding::kUtf8WithMark;
        text.utf8 = file;
    } else if (!mark && IsValidUtf8(file)) {
        text.utf8 = file;
    } else {
        text.format.encoding = CsvEncoding::kWindows1250;
        text.utf8 = Windows1250ToUtf8(file);
    }
    text.format.separator = DetectSeparator(text.utf8);
    return text;
}

std::vector<CsvRecord> SplitCsv(std::string_view text, char separator) {
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
                current.error = Tr(Tavctl::tr("a quoted field is not closed"));
                endRecord();
                return records;
            }
            if (i < text.size() && text[i] != separator && text[i] != '\r' && text[i] != '\n') {
                current.error = Tr(Tavctl::tr("text after a closing quote"));
                // Skip to the end of this line.
                while (i < text.size() && text[i] != '\n') {
                    ++i;
                }
            }
            continue;
        }
        if (c == separator) {
            endField();
            ++i;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            endRecord();
            i += 2;
        } else if (c == '\n') {
            endRecord();
            ++i;
        } else if (c == '"') {
            current.error = Tr(Tavctl::tr("a quote inside an unquoted field"));
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

std::string CsvField(const std::string& text, char separator) {
    if (text.find_first_of(std::string("\"\r\n") + separator) == std::string::npos &&
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

}  // namespace tav::cli
