// restore and erase: a backup written back as it was taken, and the erase
// that asks first.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "backups.h"
#include "commands.h"
#include "console.h"
#include "device_session.h"
#include "image/record_backup.h"
#include "image_files.h"
#include "link/dispatcher.h"
#include "tavctl.h"
#include "translation.h"
#include "write_plan.h"

namespace tav::cli {

namespace {

std::vector<int> AllRecords() {
    std::vector<int> all(kRecordCount);
    for (int r = 0; r < kRecordCount; ++r) {
        all[static_cast<std::size_t>(r)] = r;
    }
    return all;
}

}  // namespace

int RunRestore(const Args& a) {
    if (a.positional.size() != 1) {
        throw UsageError{Tr(Tavctl::tr("restore needs one backup file"))};
    }
    WritePlan plan;
    plan.file = a.positional[0];
    std::ifstream in(plan.file, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    switch (ParseRecordBackup(bytes, plan.image, plan.records)) {
        case RecordBackupLoad::Loaded:
            // Exactly the records the backup holds, one at a time.
            plan.operation = 0;
            plan.doneNote = Tr(Tavctl::tr("tavctl: restored the %1 of %2 one at a time; the "
                                          "others were not touched"),
                               Count(plan.records.size(), "record"), plan.file);
            break;
        case RecordBackupLoad::Damaged:
            Say(Tr(Tavctl::tr("tavctl: %1 begins as a partial backup but is damaged (cut short "
                              "or with bad record numbers); nothing was written"),
                   plan.file));
            return kExitFailed;
        case RecordBackupLoad::NotARecordBackup:
            // A whole backup: the settings file, every record.
            if (!LoadImage(plan.file, plan.image, Missing::kRefuse)) {
                return kExitFailed;
            }
            plan.operation = kWriteAllMemory;
            plan.records = AllRecords();
            plan.bulk = true;
            break;
    }
    return CarryOutWrite(a, plan);
}

int RunErase(const Args& a) {
    ExpectPositional(a, 0);
    if (a.flags.count("--yes") == 0) {
        if (!StandardInputIsTerminal()) {
            throw UsageError{Tr(
                Tavctl::tr("erase asks before it erases; with no terminal to ask on, give --yes"))};
        }
        if (!AskYesNo(Tr(Tavctl::tr("Erase the receiver's whole memory? Every remote, scenario, "
                                    "clock event and display setting in it is lost.")))) {
            Say(Tr(Tavctl::tr("tavctl: nothing was erased")));
            return kExitFailed;
        }
    }
    if (const auto backup = a.options.find("--backup"); backup != a.options.end()) {
        if (TakeBackup(a, backup->second, AllRecords(), true).empty()) {
            Say(Tr(Tavctl::tr("tavctl: nothing was erased")));
            return kExitFailed;
        }
    }
    std::unique_ptr<Device> dev = OpenDevice(a);
    return ExitFor(RunOperation(*dev, kEraseMemory));
}

}  // namespace tav::cli
