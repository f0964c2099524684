// The record backup: what it holds comes back, and nothing else can pass for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "image/record_backup.h"
#include "image/settings_file.h"

namespace tav {
namespace {

MemoryImage Filled(std::uint8_t seed) {
    MemoryImage m;
    for (std::size_t i = 0; i < kImageSize; ++i) {
        m.at(i) = static_cast<std::uint8_t>(i * 13 + seed);
    }
    return m;
}

TEST(RecordBackup, GivesBackExactlyItsRecords) {
    const std::vector<std::vector<int>> rows = {
        {0}, {417}, {1000, 1001, 1002, 1003, 1004}, {1005}, {3, 7, 900, 1023}};
    const MemoryImage source = Filled(1);
    for (const auto& records : rows) {
        SCOPED_TRACE(records.size());
        const std::vector<std::uint8_t> file = RecordBackupBytes(source, records);
        EXPECT_EQ(file.size(), 10 + 34 * records.size());
        MemoryImage into = Filled(2);
        const MemoryImage before = into;
        std::vector<int> listed;
        ASSERT_EQ(ParseRecordBackup(file, into, listed), RecordBackupLoad::Loaded);
        EXPECT_EQ(listed, records);
        for (int r = 0; r < kRecordCount; ++r) {
            const bool held = std::ranges::find(records, r) != records.end();
            const MemoryImage& expected = held ? source : before;
            EXPECT_TRUE(std::ranges::equal(into.RecordAt(r), expected.RecordAt(r))) << r;
        }
        // Never taken for a settings file, whatever reads it as one.
        MemoryImage settings;
        EXPECT_EQ(ParseSettingsBytes(settings, file), SettingsLoadResult::WrongType);
    }
}

TEST(RecordBackup, RefusesWhatIsNotOneWhole) {
    const MemoryImage source = Filled(3);
    const std::vector<int> two = {5, 6};
    const auto good = [&] { return RecordBackupBytes(source, two); };
    struct Row {
        const char* name;
        std::function<std::vector<std::uint8_t>()> bytes;
        RecordBackupLoad result;
    };
    const Row rows[] = {
        {"empty", [] { return std::vector<std::uint8_t>{}; }, RecordBackupLoad::NotARecordBackup},
        {"a settings file",
         [&] {
             std::vector<std::uint8_t> f(kSettingsFileSize);
             std::copy_n(kSettingsHeader, kSettingsHeaderSize, f.begin());
             std::ranges::copy(source.Bytes(), f.begin() + kSettingsHeaderSize);
             return f;
         },
         RecordBackupLoad::NotARecordBackup},
        {"mark only",
         [] { return std::vector<std::uint8_t>(kRecordBackupMagic, kRecordBackupMagic + 8); },
         RecordBackupLoad::Damaged},
        {"cut short",
         [&] {
             auto f = good();
             f.pop_back();
             return f;
         },
         RecordBackupLoad::Damaged},
        {"bytes beyond",
         [&] {
             auto f = good();
             f.push_back(0);
             return f;
         },
         RecordBackupLoad::Damaged},
        {"no records",
         [&] {
             auto f = good();
             f.resize(10);
             f[8] = f[9] = 0;
             return f;
         },
         RecordBackupLoad::Damaged},
        {"record 1024",
         [&] {
             auto f = good();
             f[10 + 34] = 0x04;
             f[10 + 34 + 1] = 0x00;
             return f;
         },
         RecordBackupLoad::Damaged},
        {"twice the same record",
         [&] {
             auto f = good();
             f[10 + 34 + 1] = 5;
             return f;
         },
         RecordBackupLoad::Damaged},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MemoryImage into = Filled(4);
        const MemoryImage before = into;
        std::vector<int> listed = {99};
        EXPECT_EQ(ParseRecordBackup(row.bytes(), into, listed), row.result);
        EXPECT_TRUE(into == before);
        EXPECT_EQ(listed, std::vector<int>{99});
    }
}

}  // namespace
}  // namespace tav
