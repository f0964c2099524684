#include "backups.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "console.h"
#include "device_session.h"
#include "image/file_names.h"
#include "image/file_output.h"
#include "image/record_backup.h"
#include "image/settings_file.h"
#include "image_files.h"
#include "link/protocol.h"
#include "translation.h"

namespace tav::cli {

namespace {

namespace fs = std::filesystem;

constexpr int kBackupNamesPerSecond = 9;

std::string TimeStamp() {
    const std::tm local = LocalTime(std::time(nullptr));
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &local);
    return buf;
}

// Saves `bytes` as a new file DIR/backup-YYYYMMDD-HHMMSS[-N]EXTENSION; never
// replaces an existing file. The name is taken first (created exclusively),
// then the whole file is put in its place, so a reader never sees half a
// backup. The path, or empty after saying why not.
std::string SaveBackup(const fs::path& dir, const std::vector<std::uint8_t>& bytes,
                       const char* extension) {
    const std::string stamp = TimeStamp();
    fs::path target;
    for (int n = 1; n <= kBackupNamesPerSecond && target.empty(); ++n) {
        std::string name = "backup-" + stamp;
        if (n > 1) {
            name += '-';
            name += std::to_string(n);
        }
        name += extension;
        const fs::path candidate = dir / name;
        std::error_code ec;
        errno = 0;
        if (std::FILE* f = file_output::CreateNew(candidate, {})) {
            std::fclose(f);
            target = candidate;
        } else if (!fs::exists(candidate, ec)) {
            Say(Tr(Tavctl::tr("tavctl: cannot create the backup %1: %2"), Utf8FromPath(candidate),
                   std::strerror(errno != 0 ? errno : EACCES)));
            return {};
        }
    }
    if (target.empty()) {
        Say("tavctl: every backup name for " + stamp + " in " + Utf8FromPath(dir) +
            " is taken; no backup file was replaced");
        return {};
    }
    std::error_code why;
    if (SaveFileSafely(target, bytes, &why) != SettingsSaveResult::Saved) {
        std::error_code ec;
        fs::remove(target, ec);
        Say("tavctl: the backup " + Utf8FromPath(target) + " could not be written (" +
            WriteFailure(why) + "); no backup file was left");
        return {};
    }
    return Utf8FromPath(target);
}

}  // namespace

bool MakeBackupFolder(const std::string& dir) {
    const fs::path folder = PathFromUtf8(dir);
    std::error_code ec;
    if (fs::is_directory(folder, ec)) {
        return true;
    }
    if (fs::exists(folder, ec)) {
        Say(Tr(Tavctl::tr("tavctl: %1 is not a folder; no backup was taken"), dir));
        return false;
    }
    fs::create_directories(folder, ec);
    if (ec) {
        Say(Tr(Tavctl::tr("tavctl: cannot make the folder %1 for the backup: %2"), dir,
               ec.message()));
        return false;
    }
    Say(Tr(Tavctl::tr("tavctl: made the folder %1 for the backup"), dir));
    return true;
}

std::string TakeBackup(const Args& a, const std::string& dir, const std::vector<int>& records,
                       bool whole) {
    if (!MakeBackupFolder(dir)) {
        return {};
    }
    whole =
        whole || records.size() > static_cast<std::size_t>(SingleRecordLimit(kSingleReadMicros));
    MemoryImage backup;
    if (!ReadFromReceiver(a, records, whole, backup)) {
        Say(Tr(Tavctl::tr("tavctl: the backup could not be read from the receiver")));
        return {};
    }
    if (!whole) {
        const std::string saved =
            SaveBackup(PathFromUtf8(dir), RecordBackupBytes(backup, records), ".tvr");
        if (!saved.empty()) {
            Say(Tr(Tavctl::tr("tavctl: partial backup of %1 saved in %2"),
                   Count(records.size(), "record"), saved));
        }
        return saved;
    }
    return SaveWholeBackup(dir, backup);
}

std::string SaveWholeBackup(const std::string& dir, const MemoryImage& image) {
    if (!MakeBackupFolder(dir)) {
        return {};
    }
    std::vector<std::uint8_t> bytes(kSettingsFileSize);
    std::copy_n(kSettingsHeader, kSettingsHeaderSize, bytes.begin());
    std::ranges::copy(image.Bytes(), bytes.begin() + kSettingsHeaderSize);
    const std::string saved = SaveBackup(PathFromUtf8(dir), bytes, ".tv2");
    if (!saved.empty()) {
        Say(Tr(Tavctl::tr("tavctl: whole backup (1024 records) saved in %1"), saved));
    }
    return saved;
}

}  // namespace tav::cli
