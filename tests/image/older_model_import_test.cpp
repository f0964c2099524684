#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "image/older_model_import.h"
#include "tests/support/temp_folder.h"

namespace tav {
namespace {

TEST(OlderModelImportTest, ReverseNibbleTable) {
    const std::uint8_t expected[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
    for (int v = 0; v < 16; ++v) {
        EXPECT_EQ(ReverseNibble(static_cast<std::uint8_t>(v)), expected[v]) << v;
    }
}

TEST(OlderModelImportTest, ByteConversion) {
    const std::pair<std::uint8_t, std::uint8_t> rows[] = {
        {0x00, 0xFF}, {0xFF, 0x00}, {0x12, 0x7B}, {0x34, 0x3D},
        {0x0F, 0xF0}, {0x80, 0xEF}, {0x56, 0x59}, {0x78, 0x1E},
    };
    for (auto [file, record] : rows) {
        EXPECT_EQ(ConvertOlderModelByte(file), record) << std::hex << int(file);
    }
    // The conversion is its own inverse.
    for (int e = 0; e < 256; ++e) {
        EXPECT_EQ(ConvertOlderModelByte(ConvertOlderModelByte(static_cast<std::uint8_t>(e))), e);
    }
}

TEST(OlderModelImportTest, Entries) {
    struct Row {
        std::array<std::uint8_t, 4> file;
        std::array<std::uint8_t, 4> record;
    };
    const Row rows[] = {
        {{0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00}},
        {{0xFF, 0xFF, 0xFF, 0xFF}, {0x00, 0x00, 0x00, 0x00}},
        {{0x00, 0x00, 0x00, 0x0F}, {0xFF, 0xFF, 0xFF, 0xF0}},
        {{0x12, 0x34, 0x56, 0x78}, {0x7B, 0x3D, 0x59, 0x10}},
    };
    std::vector<std::uint8_t> file(2048, 0x00);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        std::copy(rows[i].file.begin(), rows[i].file.end(),
                  file.begin() + static_cast<std::ptrdiff_t>(i * 4));
    }
    MemoryImage image;
    for (int r = 0; r < 1000; ++r) {
        auto rec = image.RecordAt(r);
        std::fill(rec.begin(), rec.end(), static_cast<std::uint8_t>(r));
        rec[3] = 0x02;  // scenario 2
    }
    const MemoryImage before = image;
    ImportOlderModelEntries(image, file);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto rec = image.RecordAt(static_cast<int>(i));
        EXPECT_TRUE(std::equal(rows[i].record.begin(), rows[i].record.end(), rec.begin())) << i;
        EXPECT_EQ(RemoteScenario(image, static_cast<int>(i)), 0);
    }
    EXPECT_TRUE(IsRemoteSlotUsed(image, 2));
    EXPECT_FALSE(IsRemoteSlotUsed(image, 1));
    EXPECT_EQ(FormatSerialNumber(image, 3), "7b:3d:59:10");
    for (int r = 0; r < 500; ++r) {
        const auto rec = image.RecordAt(r);
        const auto old = before.RecordAt(r);
        EXPECT_TRUE(std::equal(rec.begin() + 4, rec.end(), old.begin() + 4))
            << "names and bytes 4..5 of " << r;
    }
    for (int r = 500; r < 1024; ++r) {
        EXPECT_TRUE(std::ranges::equal(image.RecordAt(r), before.RecordAt(r))) << r;
    }
}

TEST(OlderModelImportTest, ShortFilesLeaveEmptySlots) {
    for (std::size_t size :
         {std::size_t{0}, std::size_t{6}, std::size_t{1999}, std::size_t{2000}}) {
        std::vector<std::uint8_t> file(size, 0x12);  // every byte converts to 0x7B
        MemoryImage image;
        for (int r = 0; r < 500; ++r) {
            image.RecordAt(r)[0] = 0x33;
            image.RecordAt(r)[6] = 'n';
        }
        ImportOlderModelEntries(image, file);
        const int complete = static_cast<int>(size / 4);
        for (int r = 0; r < 500; ++r) {
            EXPECT_EQ(IsRemoteSlotUsed(image, r), r < complete) << size << " bytes, slot " << r;
            EXPECT_EQ(image.RecordAt(r)[6], 'n');
        }
        if (complete > 0) {
            EXPECT_EQ(FormatSerialNumber(image, 0), "7b:7b:7b:70");
        }
    }
}

TEST(OlderModelImportTest, FromAFile) {
    const testsupport::TempFolder folder("tav-import");
    const auto path = folder.path() / "old.tvs";
    std::vector<std::uint8_t> file(3000, 0x00);
    file[0] = 0x12;
    file[1] = 0x34;
    file[2] = 0x56;
    file[3] = 0x78;
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()),
                  static_cast<std::streamsize>(file.size()));
    }
    MemoryImage image;
    ASSERT_EQ(ImportOlderModelFile(image, path), OlderModelImportResult::Imported);
    EXPECT_EQ(FormatSerialNumber(image, 0), "7b:3d:59:10");

    std::filesystem::remove(path);
    MemoryImage untouched;
    untouched.RecordAt(0)[0] = 9;
    const MemoryImage copy = untouched;
    EXPECT_EQ(ImportOlderModelFile(untouched, path), OlderModelImportResult::CannotOpen);
    EXPECT_EQ(untouched, copy);
}

}  // namespace
}  // namespace tav
