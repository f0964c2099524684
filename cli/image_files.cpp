#include "image_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "console.h"
#include "image/file_names.h"
#include "image/record_backup.h"
#include "image/safe_save.h"
#include "image/settings_file.h"
#include "link/messages.h"
#include "terminal_host.h"
#include "translation.h"

namespace tav::cli {

namespace fs = std::filesystem;

void Say(const std::string& line) {
    WriteText(stderr, line + "\n");
    std::fflush(stderr);
}

bool AskYesNo(const std::string& question) {
    WriteText(stderr, question + " " + Tr(Tavctl::tr("[y/N]")) + " ");
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        std::fputc('\n', stderr);
        return false;
    }
    std::transform(answer.begin(), answer.end(), answer.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    // In Polish "t" or "tak"; "y" and "yes" in either language.
    return answer == "y" || answer == "yes" ||
           (SpeaksPolish() && (answer == "t" || answer == "tak"));
}

std::string Count(std::size_t n, const char* what) {
    if (SpeaksPolish()) {
        // Polish has three forms of a counted noun: Qt's plural forms.
        const int k = static_cast<int>(n);
        const std::string_view noun(what);
        if (noun == "record") {
            return Tr(Tavctl::tr("%n record(s)", nullptr, k));
        }
        if (noun == "changed record") {
            return Tr(Tavctl::tr("%n changed record(s)", nullptr, k));
        }
        if (noun == "remote") {
            return Tr(Tavctl::tr("%n remote(s)", nullptr, k));
        }
        if (noun == "bad row") {
            return Tr(Tavctl::tr("%n bad row(s)", nullptr, k));
        }
    }
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

std::string ReasonFor(const std::string& path) {
    std::ifstream probe(path, std::ios::binary);
    if (probe) {
        return Tr(Tavctl::tr("cannot be read"));
    }
    return std::strerror(errno);
}

bool LoadImage(const std::string& file, MemoryImage& image, Missing missing) {
    std::error_code ec;
    if (missing == Missing::kStartEmpty && !fs::exists(PathFromUtf8(file), ec) && !ec) {
        image = MemoryImage{};
        return true;
    }
    switch (ReadSettingsFile(image, PathFromUtf8(file))) {
        case SettingsLoadResult::Loaded:
            return true;
        case SettingsLoadResult::CannotOpen:
            Say(Tr(Tavctl::tr("tavctl: cannot open %1: %2"), file, ReasonFor(file)));
            return false;
        case SettingsLoadResult::WrongType:
            if (const auto records = RecordBackupRecords(file)) {
                Say(Tr(Tavctl::tr("tavctl: %1 is a partial backup of %2, not a whole settings "
                                  "file; 'tavctl restore %1' writes back exactly those records"),
                       file, Count(*records, "record")));
                return false;
            }
            Say(MessageLine(LoadMessage(SettingsLoadResult::WrongType).text, messages::kError));
            Say(Tr(Tavctl::tr("tavctl: %1 is not a settings file (it does not begin with \"$*$\")"),
                   file));
            return false;
        case SettingsLoadResult::UnsupportedVersion:
            Say(MessageLine(LoadMessage(SettingsLoadResult::UnsupportedVersion).text,
                            messages::kError));
            Say(Tr(Tavctl::tr("tavctl: %1 is a settings file of a version other than 10"), file));
            return false;
        case SettingsLoadResult::Incomplete:
            Say(Tr(Tavctl::tr("tavctl: %1 is shorter than a settings file (%2 bytes)"), file,
                   std::to_string(kSettingsFileSize)));
            return false;
    }
    return false;
}

namespace {

// Why a save of FILE failed and what became of the file.
void SayWhyNotSaved(const std::string& file, SaveResult r, const std::error_code& why) {
    switch (r) {
        case SaveResult::WriteProtected:
            Say("tavctl: " + file +
                " could not be written: it is write-protected (its mode forbids writing it); it "
                "was left as it was");
            break;
        case SaveResult::CannotCreate:
            Say("tavctl: " + file +
                " could not be written (no file can be created in its folder, and no existing "
                "file of that name can be written); an existing file was left as it was");
            break;
        case SaveResult::OverwriteFailed:
            Say("tavctl: " + file + " could not be written (a write over the file in place failed" +
                (why ? ": " + WriteFailure(why) : std::string()) + "); the file may be incomplete");
            break;
        default:
            Say("tavctl: " + file + " could not be written (" + WriteFailure(why) +
                "); an existing file was left as it was");
            break;
    }
}

}  // namespace

bool SaveImage(const std::string& file, const MemoryImage& image) {
    std::error_code why;
    const SaveResult r = WriteSettingsFile(image, PathFromUtf8(file), &why);
    if (r == SaveResult::Saved) {
        return true;
    }
    Say(MessageLine(messages::kSaveFailed, messages::kError));
    SayWhyNotSaved(file, r, why);
    return false;
}

bool WriteStandardOutput(std::string_view text) {
    errno = 0;
    if (WriteText(stdout, text) && std::fflush(stdout) == 0) {
        return true;
    }
    const std::error_code why(errno != 0 ? errno : EIO, std::generic_category());
    Say(Tr(Tavctl::tr("tavctl: standard output could not be written (%1)"), WriteFailure(why)));
    std::clearerr(stdout);  // said once
    return false;
}

std::string WriteFailure(const std::error_code& why) {
    if (why == std::errc::no_space_on_device) {
        return Tr(Tavctl::tr("the disk is full"));
    }
    if (why == std::errc::file_too_large) {
        return Tr(Tavctl::tr("the file-size limit is reached"));
    }
    return why ? Tr(Tavctl::tr("a write failed: %1"), why.message())
               : Tr(Tavctl::tr("a write failed"));
}

bool CanBeSaved(const std::string& file) {
    if (!FolderExists(file)) {
        return false;
    }
    switch (ProbeSave(PathFromUtf8(file))) {
        case SettingsSaveResult::Saved:
            return true;
        case SettingsSaveResult::CannotCreate:
            Say("tavctl: cannot save " + file + ": no file can be created in its folder");
            return false;
        case SettingsSaveResult::WriteProtected:
            Say("tavctl: cannot save " + file +
                ": it is write-protected (its mode forbids writing it)");
            return false;
        default:
            Say("tavctl: cannot save " + file + ": it is no file (a folder or a device)");
            return false;
    }
}

std::optional<std::size_t> RecordBackupRecords(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes(kRecordBackupMagicSize + 2 + kRecordCount * (2 + kRecordSize) +
                                    1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    MemoryImage scratch;
    std::vector<int> records;
    if (ParseRecordBackup(bytes, scratch, records) != RecordBackupLoad::Loaded) {
        return std::nullopt;
    }
    return records.size();
}

bool FolderExists(const std::string& file) {
    const fs::path folder = PathFromUtf8(file).parent_path();
    std::error_code ec;
    if (folder.empty() || fs::is_directory(folder, ec)) {
        return true;
    }
    Say(Tr(Tavctl::tr("tavctl: cannot save %1: no folder %2"), file, Utf8FromPath(folder)));
    return false;
}

bool SaveTextFile(const std::string& path, const std::string& text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    std::error_code why;
    const SaveResult r = SaveFileSafely(PathFromUtf8(path), std::span(bytes, text.size()), &why);
    if (r == SaveResult::Saved) {
        return true;
    }
    SayWhyNotSaved(path, r, why);
    return false;
}

}  // namespace tav::cli
