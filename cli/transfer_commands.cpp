// read-* and write-*: a settings file to and from the receiver, with the
// backup before a write and the verification after it.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "commands.h"
#include "console.h"
#include "device_session.h"
#include "image/settings_file.h"
#include "image_files.h"
#include "link/messages.h"
#include "link/protocol.h"
#include "tavctl.h"

namespace tav::cli {

namespace {

namespace fs = std::filesystem;

constexpr int kBackupNamesPerSecond = 9;

// The records a write command sends, in order (remote: 1..1000).
std::vector<int> RecordsOf(unsigned operation, int remote) {
    const OperationRecords moved = RecordsOfOperation(operation, remote - 1);
    std::vector<int> records;
    for (int r = moved.first; r <= moved.last; ++r) {
        records.push_back(r);
    }
    return records;
}

bool IsWholeMemory(const std::vector<int>& records) {
    return records.size() == static_cast<std::size_t>(kRecordCount);
}

std::string TimeStamp() {
    const std::tm local = LocalTime(std::time(nullptr));
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &local);
    return buf;
}

// Saves `image` as a new file DIR/backup-YYYYMMDD-HHMMSS[-N].tv2; never
// replaces an existing file. The name is taken first (created exclusively),
// then the whole file is renamed onto it, so a reader never sees half a
// backup. The path, or empty after saying why not.
std::string SaveBackup(const fs::path& dir, const MemoryImage& image) {
    const std::string stamp = TimeStamp();
    fs::path target;
    for (int n = 1; n <= kBackupNamesPerSecond && target.empty(); ++n) {
        std::string name = "backup-" + stamp;
        if (n > 1) {
            name += '-';
            name += std::to_string(n);
        }
        name += ".tv2";
        const fs::path candidate = dir / name;
        if (std::FILE* f = std::fopen(candidate.string().c_str(), "wbx")) {
            std::fclose(f);
            target = candidate;
        } else if (errno != EEXIST) {
            Say("tavctl: cannot create the backup " + candidate.string() + ": " +
                std::strerror(errno));
            return {};
        }
    }
    if (target.empty()) {
        Say("tavctl: every backup name for " + stamp + " in " + dir.string() +
            " is taken; no backup file was replaced");
        return {};
    }
    const fs::path temporary = target.string() + ".part";
    std::error_code ec;
    bool saved = WriteSettingsFile(image, temporary) == SettingsSaveResult::Saved;
    if (saved) {
        fs::rename(temporary, target, ec);
        saved = !ec;
    }
    if (!saved) {
        fs::remove(temporary, ec);
        fs::remove(target, ec);
        Say("tavctl: the backup " + target.string() + " could not be written");
        return {};
    }
    return target.string();
}

// The first byte in which the receiver differs from what was written, among
// `records`; "" when none.
std::string FirstDifference(const MemoryImage& written, const MemoryImage& receiver,
                            const std::vector<int>& records) {
    for (int r : records) {
        for (std::size_t b = 0; b < kRecordSize; ++b) {
            const std::size_t offset = static_cast<std::size_t>(r) * kRecordSize + b;
            if (written.at(offset) != receiver.at(offset)) {
                char buf[160];
                std::snprintf(buf, sizeof buf,
                              ", byte %zu (offset 0x%04zx): written 0x%02x, the receiver holds "
                              "0x%02x",
                              b, offset, written.at(offset), receiver.at(offset));
                const std::string remote =
                    r < kRemoteCount ? " (remote " + std::to_string(r + 1) + ")" : "";
                return "record " + std::to_string(r) + remote + buf;
            }
        }
    }
    return {};
}

// Records in which `image` differs from `base`, in order.
std::vector<int> ChangedRecords(const MemoryImage& image, const MemoryImage& base) {
    std::vector<int> changed;
    for (int r = 0; r < kRecordCount; ++r) {
        if (!std::equal(image.RecordAt(r).begin(), image.RecordAt(r).end(),
                        base.RecordAt(r).begin())) {
            changed.push_back(r);
        }
    }
    return changed;
}

}  // namespace

int RunRead(const Args& a, unsigned operation, int remote) {
    const std::string& file = RequireImageOption(a);
    std::unique_ptr<Device> dev = OpenDevice(a);
    if (!FolderExists(file) || !LoadImage(file, dev->image(), Missing::kStartEmpty)) {
        return kExitFailed;
    }
    dev->host().SetSelectedRemote(remote - 1);
    const OperationOutcome outcome = RunOperation(*dev, operation);
    // A read that stopped part-way is not saved: FILE keeps what it held.
    if (outcome != OperationOutcome::Done) {
        return kExitFailed;
    }
    return SaveImage(file, dev->image()) ? kExitDone : kExitFailed;
}

int RunWrite(const Args& a, unsigned operation, int remote) {
    const std::string& file = RequireImageOption(a);
    const bool verify = a.flags.count("--verify") != 0;
    const auto backupOption = a.options.find("--backup");
    const auto onlyChanged = a.options.find("--only-changed");
    if (a.flags.count("--backup-full") != 0 && backupOption == a.options.end()) {
        throw UsageError{"--backup-full goes with --backup DIR"};
    }
    MemoryImage image;
    if (!LoadImage(file, image, Missing::kRefuse)) {
        return kExitFailed;
    }
    std::vector<int> records = RecordsOf(operation, remote);
    bool bulk = IsWholeMemory(records);
    if (onlyChanged != a.options.end()) {
        MemoryImage base;
        if (!LoadImage(onlyChanged->second, base, Missing::kRefuse)) {
            return kExitFailed;
        }
        records = ChangedRecords(image, base);
        if (records.empty()) {
            Say("tavctl: " + file + " holds the same records as " + onlyChanged->second +
                "; nothing was written");
            return kExitDone;
        }
        bulk = records.size() > static_cast<std::size_t>(SingleRecordLimit(kSingleWriteMicros));
    }

    if (backupOption != a.options.end()) {
        const fs::path dir = backupOption->second;
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) {
            Say("tavctl: no folder " + dir.string() + " for the backup; nothing was written");
            return kExitFailed;
        }
        MemoryImage backup;
        if (!ReadFromReceiver(a, records, a.flags.count("--backup-full") != 0 || bulk, backup)) {
            Say("tavctl: the backup could not be read from the receiver; nothing was written");
            return kExitFailed;
        }
        const std::string saved = SaveBackup(dir, backup);
        if (saved.empty()) {
            Say("tavctl: nothing was written");
            return kExitFailed;
        }
        Say("tavctl: backup of " + Count(records.size(), "record") + " saved in " + saved);
    }

    std::unique_ptr<Device> dev = OpenDevice(a);
    dev->image() = image;
    dev->host().SetSelectedRemote(remote - 1);
    OperationOutcome outcome;
    if (onlyChanged == a.options.end()) {
        outcome = RunOperation(*dev, operation);
    } else if (bulk) {
        Say("tavctl: " + Count(records.size(), "record") +
            " differ; the bulk write of the whole memory is faster");
        outcome = RunOperation(*dev, kWriteAllMemory);
        records = RecordsOf(kWriteAllMemory, 0);
    } else {
        outcome = RunDeviceWork(dev->ctx(), [&records](DeviceContext& ctx) {
            const OperationOutcome o = WriteRecordList(ctx, records);
            if (o == OperationOutcome::Done) {
                ctx.host.ShowMessage(messages::kOk, messages::kOk);
            }
            return o;
        });
        if (outcome == OperationOutcome::Done) {
            Say("tavctl: wrote the " + Count(records.size(), "changed record") + " one at a time");
        }
    }
    if (outcome != OperationOutcome::Done) {
        return kExitFailed;
    }

    if (verify) {
        MemoryImage readBack;
        if (!ReadFromReceiver(a, records, bulk, readBack)) {
            Say("tavctl: the written records could not be read back for verification");
            return kExitFailed;
        }
        const std::string difference = FirstDifference(image, readBack, records);
        if (!difference.empty()) {
            Say("tavctl: verification failed: " + difference);
            return kExitFailed;
        }
        Say("tavctl: verified: the receiver holds the " + Count(records.size(), "record") +
            " written");
    }
    return kExitDone;
}

}  // namespace tav::cli
