// remotes export/import (a spreadsheet's list) and remote set/clear (one
// remote), on a settings file.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "backups.h"
#include "commands.h"
#include "console.h"
#include "image_files.h"
#include "remote_list.h"
#include "tavctl.h"
#include "translation.h"

namespace tav::cli {

namespace {

// --excel first, --separator and --encoding over it.
CsvFormat ExportFormat(const Args& a) {
    CsvFormat format = a.flags.count("--excel") ? kExcelFormat : CsvFormat{};
    if (const auto it = a.options.find("--separator"); it != a.options.end()) {
        const std::string& s = it->second;
        if (s == "," || s == "comma") {
            format.separator = ',';
        } else if (s == ";" || s == "semicolon") {
            format.separator = ';';
        } else {
            throw UsageError{Tr(Tavctl::tr("--separator takes ',' or ';', not %1"), s)};
        }
    }
    if (const auto it = a.options.find("--encoding"); it != a.options.end()) {
        if (!ParseCsvEncoding(it->second, format.encoding)) {
            throw UsageError{
                Tr(Tavctl::tr("--encoding takes utf-8, utf-8-bom or windows-1250, not %1"),
                   it->second)};
        }
    }
    return format;
}

// Reads `file` whole into `text`; false after saying why not.
bool ReadWholeFile(const std::string& file, std::string& text) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        Say(Tr(Tavctl::tr("tavctl: cannot open %1: %2"), file, std::strerror(errno)));
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::string RemoteNumbers(const std::vector<int>& remotes) {
    std::string out;
    for (int r : remotes) {
        out += (out.empty() ? "" : ", ") + std::to_string(r);
    }
    return out;
}

int ImportRemotes(const Args& a) {
    if (a.positional.size() != 2 || a.options.count("--csv") || a.options.count("--separator") ||
        a.options.count("--encoding") || a.flags.count("--excel")) {
        throw UsageError{Tr(Tavctl::tr("remotes import needs a CSV file and --image FILE"))};
    }
    const std::string& file = RequireImageOption(a);
    const std::string& in = a.positional[1];
    RemotesImportOptions options;
    options.replace = a.flags.count("--replace") != 0;
    options.strict = a.flags.count("--strict") != 0;
    std::string text;
    if (!ReadWholeFile(in, text)) {
        return kExitFailed;
    }
    MemoryImage image;
    if (!FolderExists(file) || !LoadImage(file, image, Missing::kStartEmpty)) {
        return kExitFailed;
    }
    const MemoryImage before = image;
    const RemotesImport result = ImportRemotesCsv(image, text, options);
    for (const std::string& w : result.warnings) {
        Say("tavctl: " + in + " " + w);
    }
    if (!result.errors.empty()) {
        for (const std::string& e : result.errors) {
            Say("tavctl: " + in + " " + e);
        }
        Say(Tr(Tavctl::tr("tavctl: %1 (the file read as %2); nothing was imported"),
               Count(result.errors.size(), "bad row"), DescribeCsvFormat(result.format)));
        return kExitFailed;
    }
    const std::size_t left = result.notListed.size();
    if (options.replace && left > 0 && a.flags.count("--yes") == 0) {
        if (!StandardInputIsTerminal()) {
            throw UsageError{
                Tr(Tavctl::tr("remotes import --replace asks before it removes "
                              "remotes; with no terminal to ask on, give --yes"))};
        }
        if (!AskYesNo(Tr(Tavctl::tr("Remove %1 that %2 does not list (%3) from %4?"),
                         Count(left, "remote"), in, RemoteNumbers(result.notListed), file))) {
            Say(Tr(Tavctl::tr("tavctl: nothing was imported")));
            return kExitFailed;
        }
    }
    if (const auto backup = a.options.find("--backup"); backup != a.options.end()) {
        if (SaveWholeBackup(backup->second, before).empty()) {
            Say(Tr(Tavctl::tr("tavctl: nothing was imported")));
            return kExitFailed;
        }
    }
    if (!SaveImage(file, image)) {
        return kExitFailed;
    }
    std::string summary = Tr(Tavctl::tr("tavctl: %1 imported into %2"),
                             Count(static_cast<std::size_t>(result.imported), "remote"), file);
    if (options.replace && left > 0) {
        summary += Tr(Tavctl::tr("; removed, not in the file: %1 (%2)"), Count(left, "remote"),
                      RemoteNumbers(result.notListed));
    } else if (left > 0) {
        summary += Tr(Tavctl::tr("; kept, not in the file: %1 in use"), Count(left, "remote"));
    }
    Say(summary);
    return kExitDone;
}

}  // namespace

int RunRemotes(const Args& a) {
    const std::string verb = a.positional.empty() ? "" : a.positional[0];
    if (verb == "export") {
        const auto csv = a.options.find("--csv");
        if (a.positional.size() != 2 || csv == a.options.end() || a.options.count("--image")) {
            throw UsageError{Tr(Tavctl::tr("remotes export needs a settings file and --csv OUT"))};
        }
        if (a.flags.count("--replace") || a.flags.count("--strict") || a.flags.count("--yes") ||
            a.options.count("--backup")) {
            throw UsageError{
                Tr(Tavctl::tr("remotes export takes no --replace, --strict, --yes or --backup"))};
        }
        const CsvFormat format = ExportFormat(a);
        MemoryImage image;
        if (!LoadImage(a.positional[1], image, Missing::kRefuse) || !FolderExists(csv->second)) {
            return kExitFailed;
        }
        const CsvHeader header =
            a.flags.count("--excel") ? CsvHeader::kPolish : CsvHeader::kEnglish;
        return SaveTextFile(csv->second, ExportRemotesCsv(image, format, header)) ? kExitDone
                                                                                  : kExitFailed;
    }
    if (verb == "import") {
        return ImportRemotes(a);
    }
    throw UsageError{Tr(Tavctl::tr("remotes needs export or import"))};
}

int RunRemote(const Args& a) {
    const std::string verb = a.positional.empty() ? "" : a.positional[0];
    if ((verb != "set" && verb != "clear") || a.positional.size() != 2) {
        throw UsageError{Tr(Tavctl::tr("remote needs set N or clear N"))};
    }
    const std::string& file = RequireImageOption(a);
    std::vector<std::string> reasons;
    RemoteEdit edit;
    CheckRemoteNumber(a.positional[1], edit, reasons);
    const auto name = a.options.find("--name");
    const auto serial = a.options.find("--serial");
    const auto scenario = a.options.find("--scenario");
    const bool fields =
        name != a.options.end() || serial != a.options.end() || scenario != a.options.end();
    if (verb == "clear") {
        if (fields) {
            throw UsageError{
                Tr(Tavctl::tr("remote clear takes no --name, --serial or --scenario"))};
        }
        // As an imported row with the serial 00:00:00:00 and no name.
        edit.serial = std::array<std::uint8_t, 4>{};
        edit.name = std::string();
    } else {
        if (!fields) {
            throw UsageError{Tr(Tavctl::tr("remote set needs --name, --serial or --scenario"))};
        }
        if (serial != a.options.end()) {
            CheckSerial(serial->second, edit, reasons);
        }
        if (scenario != a.options.end()) {
            CheckScenario(scenario->second, edit, reasons);
        }
        if (name != a.options.end()) {
            CheckName(name->second, edit, reasons);
        }
    }
    if (!reasons.empty()) {
        for (const std::string& r : reasons) {
            Say("tavctl: " + r);
        }
        Say(Tr(Tavctl::tr("tavctl: nothing was changed")));
        return kExitFailed;
    }
    MemoryImage image;
    if (!FolderExists(file) ||
        !LoadImage(file, image, verb == "set" ? Missing::kStartEmpty : Missing::kRefuse)) {
        return kExitFailed;
    }
    if (verb == "set" && !edit.serial && !IsRemoteSlotUsed(image, edit.remote - 1)) {
        Say("tavctl: remote " + std::to_string(edit.remote) +
            " is empty; give its serial with --serial; nothing was changed");
        return kExitFailed;
    }
    ApplyRemoteEdit(image, edit);
    return SaveImage(file, image) ? kExitDone : kExitFailed;
}

}  // namespace tav::cli
