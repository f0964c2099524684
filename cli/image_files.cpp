#include "image_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "image/settings_file.h"
#include "link/messages.h"
#include "terminal_host.h"

namespace tav::cli {

namespace fs = std::filesystem;

void Say(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

std::string Count(std::size_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

std::string ReasonFor(const std::string& path) {
    std::ifstream probe(path, std::ios::binary);
    if (probe) {
        return "cannot be read";
    }
    return std::strerror(errno);
}

bool LoadImage(const std::string& file, MemoryImage& image, Missing missing) {
    std::error_code ec;
    if (missing == Missing::kStartEmpty && !fs::exists(file, ec) && !ec) {
        image = MemoryImage{};
        return true;
    }
    switch (ReadSettingsFile(image, file)) {
        case SettingsLoadResult::Loaded:
            return true;
        case SettingsLoadResult::CannotOpen:
            Say("tavctl: cannot open " + file + ": " + ReasonFor(file));
            return false;
        case SettingsLoadResult::WrongType:
            Say(MessageLine(messages::kWrongFileType, messages::kError));
            return false;
        case SettingsLoadResult::UnsupportedVersion:
            Say(MessageLine(messages::kUnsupportedFileVersion, messages::kError));
            return false;
        case SettingsLoadResult::Incomplete:
            Say("tavctl: " + file + " is shorter than a settings file (" +
                std::to_string(kSettingsFileSize) + " bytes)");
            return false;
    }
    return false;
}

bool SaveImage(const std::string& file, const MemoryImage& image) {
    const SettingsSaveResult r = WriteSettingsFile(image, file);
    if (r == SettingsSaveResult::Saved) {
        return true;
    }
    Say(MessageLine(messages::kSaveFailed, messages::kError));
    switch (r) {
        case SettingsSaveResult::CannotCreate:
            Say("tavctl: " + file +
                " could not be written (no file can be created in its folder, and no existing "
                "file of that name can be written); an existing file was left as it was");
            break;
        case SettingsSaveResult::OverwriteFailed:
            Say("tavctl: " + file +
                " could not be written (a write over the file in place failed); the file may be "
                "incomplete");
            break;
        default:
            Say("tavctl: " + file +
                " could not be written (a write failed); an existing file was left as it was");
            break;
    }
    return false;
}

bool FolderExists(const std::string& file) {
    const fs::path folder = fs::path(file).parent_path();
    std::error_code ec;
    if (folder.empty() || fs::is_directory(folder, ec)) {
        return true;
    }
    Say("tavctl: cannot save " + file + ": no folder " + folder.string());
    return false;
}

bool SaveTextFile(const std::string& path, const std::string& text) {
    const fs::path temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            Say("tavctl: cannot write " + path + ": " + std::strerror(errno));
            std::error_code ec;
            fs::remove(temporary, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, path, ec);
    if (ec) {
        Say("tavctl: cannot write " + path + ": " + ec.message());
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

}  // namespace tav::cli
