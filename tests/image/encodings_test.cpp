#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/memory_image.h"

namespace tav {
namespace {

void SetSerial(MemoryImage& image, int remote, std::array<std::uint8_t, 4> bytes) {
    std::copy(bytes.begin(), bytes.end(), image.RecordAt(remote).begin());
}

TEST(MemoryImageTest, RecordsSitAtTheirOffsets) {
    MemoryImage image;
    image.RecordAt(1005)[0] = 0x41;
    image.RecordAt(1023)[31] = 0x42;
    EXPECT_EQ(image.at(0x7DA0), 0x41);
    EXPECT_EQ(image.at(kImageSize - 1), 0x42);
    EXPECT_EQ(image.Bytes().size(), 32768u);
}

struct SerialRow {
    std::array<std::uint8_t, 4> bytes;
    bool used;
    const char* shown;
};

TEST(RemoteTest, SlotUseAndSerialFormatting) {
    const SerialRow rows[] = {
        {{0x00, 0x00, 0x00, 0x00}, false, "00:00:00:00"},
        {{0xFF, 0xFF, 0xFF, 0xFF}, false, "ff:ff:ff:ff"},
        {{0xFF, 0xFF, 0xFF, 0xFE}, true, "ff:ff:ff:fe"},
        {{0x00, 0x00, 0x00, 0x01}, true, "00:00:00:01"},
        {{0x01, 0x00, 0x00, 0x00}, true, "01:00:00:00"},
        {{0xAB, 0xCD, 0xEF, 0x7A}, true, "ab:cd:ef:7a"},
    };
    for (const auto& row : rows) {
        MemoryImage image;
        SetSerial(image, 417, row.bytes);
        image.RecordAt(417)[6] = 'X';  // the name plays no part
        EXPECT_EQ(IsRemoteSlotUsed(image, 417), row.used) << row.shown;
        EXPECT_EQ(FormatSerialNumber(image, 417), row.shown);
    }
}

TEST(RemoteTest, ScenarioChangesOnlyTheLowBitsOfByte3) {
    struct Row {
        std::uint8_t before;
        int scenario;
        std::uint8_t after;
    };
    const Row rows[] = {
        {0x78, 2, 0x7A}, {0xFF, 0, 0xFC}, {0x00, 1, 0x01}, {0x03, 7, 0x03}, {0xA5, 3, 0xA7}};
    for (const auto& row : rows) {
        MemoryImage image;
        SetSerial(image, 5, {0x12, 0x34, 0x56, row.before});
        SetRemoteScenario(image, 5, row.scenario);
        EXPECT_EQ(image.RecordAt(5)[3], row.after);
        EXPECT_EQ(image.RecordAt(5)[0], 0x12);
        EXPECT_EQ(image.RecordAt(5)[2], 0x56);
        EXPECT_EQ(RemoteScenario(image, 5), row.scenario & 3);
    }
    MemoryImage image;
    SetSerial(image, 0, {0x12, 0x34, 0x56, 0x78});
    SetRemoteScenario(image, 0, 2);
    EXPECT_EQ(FormatSerialNumber(image, 0), "12:34:56:7a");
}

TEST(DeviceTextTest, WriteAndReadNames) {
    struct Row {
        std::string text;
        std::string readBack;
    };
    const std::string t26 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const Row rows[] = {
        {"abc", "abc"},
        {t26, t26},
        {t26 + "1234", t26},
        {"", ""},
        {"\xa3\xf3\x64\xbc", "\xa3\xf3\x64\xbc"},  // Windows-1250 bytes stay as they are
    };
    for (const auto& row : rows) {
        MemoryImage image;
        auto rec = image.RecordAt(12);
        std::fill(rec.begin() + 6, rec.end(), std::uint8_t{0x55});
        image.RecordAt(13)[0] = 0x99;
        WriteDeviceText(image, TextFieldOffset(12), row.text);
        EXPECT_EQ(ReadDeviceText(image, TextFieldOffset(12)), row.readBack);
        for (std::size_t i = 6 + row.readBack.size(); i < 32; ++i) {
            EXPECT_EQ(rec[i], 0) << "byte " << i << " of \"" << row.text << '"';
        }
        EXPECT_EQ(image.RecordAt(13)[0], 0x99) << "nothing past byte 31";
    }
}

TEST(DeviceTextTest, ReadStopsAtTheFieldEnd) {
    MemoryImage image;
    auto rec = image.RecordAt(3);
    std::fill(rec.begin() + 6, rec.end(), std::uint8_t{'x'});
    image.RecordAt(4)[0] = 'y';
    EXPECT_EQ(ReadDeviceText(image, TextFieldOffset(3)), std::string(26, 'x'));
}

TEST(DeviceTextTest, DisplayTextKeepsTheTailAfterItsTerminator) {
    MemoryImage image;
    WriteDisplayText(image, "ABCDEF");
    WriteDisplayText(image, "AB");
    const auto rec = image.RecordAt(kDisplayRecord);
    const std::vector<std::uint8_t> expected = {'A', 'B', 0, 'D', 'E', 'F', 0};
    EXPECT_EQ(std::vector<std::uint8_t>(rec.begin() + 6, rec.begin() + 13), expected);
    EXPECT_EQ(ReadDeviceText(image, kDisplayTextOffset), "AB");

    // A full-length text has no terminator and leaves record 1006 alone.
    image.RecordAt(1006)[0] = 0x77;
    WriteDisplayText(image, std::string(30, 'Z'));
    EXPECT_EQ(ReadDeviceText(image, kDisplayTextOffset), std::string(26, 'Z'));
    EXPECT_EQ(image.RecordAt(1006)[0], 0x77);
}

TEST(ClockTransmitterTest, ScenarioTakesTheWholeByte) {
    MemoryImage image;
    image.RecordAt(1000)[3] = 0xFC;
    SetClockTransmitterScenario(image, 0, 3);
    EXPECT_EQ(image.RecordAt(1000)[3], 0x03);
    SetClockTransmitterScenario(image, 3, -1);
    EXPECT_EQ(image.RecordAt(1003)[3], 0x03);
    image.RecordAt(1002)[3] = 0x09;
    EXPECT_EQ(ClockTransmitterScenario(image, 2), 0x09);
}

TEST(ClockEventTest, DigitValues) {
    EXPECT_EQ(ClockDigitValue('0'), 0);
    EXPECT_EQ(ClockDigitValue('9'), 9);
    EXPECT_EQ(ClockDigitValue('*'), 15);
    EXPECT_EQ(ClockDigitValue(' '), 255);
    EXPECT_EQ(ClockDigitValue('A'), 255);
    EXPECT_EQ(ClockDigitValue('\xb9'), 255);
}

// The pattern table: a pair of characters, the byte it gives, how it shows.
TEST(ClockEventTest, PairsEncodeAndShowBack) {
    struct Row {
        const char* pair;
        std::uint8_t byte;
        const char* shown;
    };
    const Row rows[] = {
        {"12", 0x12, "12"}, {"*5", 0xF5, "*5"}, {"1*", 0x1F, "1*"}, {"**", 0xFF, "**"},
        {" 5", 0xF5, "*5"}, {"2 ", 0x1F, "1*"}, {"0 ", 0xFF, "**"}, {"9 ", 0x8F, "8*"},
        {"  ", 0xEF, "E*"}, {"A5", 0xF5, "*5"},
    };
    for (const auto& row : rows) {
        MemoryImage image;
        // The pair goes into the minutes; everything else is a fixed time.
        std::string pattern = "2026-12-07 06:00:43";
        pattern[14] = row.pair[0];
        pattern[15] = row.pair[1];
        EncodeClockEvent(image, 1, pattern, true, 4);
        EXPECT_EQ(image.at(kClockEventOffset + 8 + 6), row.byte) << row.pair;
        const ClockEvent decoded = DecodeClockEvent(image, 1);
        EXPECT_EQ(decoded.pattern.substr(14, 2), row.shown) << row.pair;
    }
}

TEST(ClockEventTest, WholeEntries) {
    struct Row {
        const char* pattern;
        bool on;
        std::uint8_t button;
        std::array<std::uint8_t, 8> bytes;
        const char* shown;
    };
    const Row rows[] = {
        {"2025-06-01 07:30:00",
         true,
         2,
         {0x00, 0x02, 0x25, 0x06, 0x01, 0x07, 0x30, 0x00},
         "2025-06-01 07:30:00"},
        {"20**-**-** 12:00:00",
         false,
         13,
         {0xFF, 0x0D, 0xFF, 0xFF, 0xFF, 0x12, 0x00, 0x00},
         "20**-**-** 12:00:00"},
        {"2025-1 -01 08:30:00",
         true,
         0,
         {0x00, 0x00, 0x25, 0x0F, 0x01, 0x08, 0x30, 0x00},
         "2025-0*-01 08:30:00"},
        {"20  -  -     :  :  ",
         true,
         0,
         {0x00, 0x00, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF},
         "20E*-E*-E* E*:E*:E*"},
    };
    for (const auto& row : rows) {
        MemoryImage image;
        image.at(kClockEventOffset + 2 * 8 - 1) = 0x5A;  // last byte of entry 1
        EncodeClockEvent(image, 2, row.pattern, row.on, row.button);
        const auto at = image.Bytes().begin() + static_cast<std::ptrdiff_t>(kClockEventOffset + 16);
        EXPECT_TRUE(std::equal(row.bytes.begin(), row.bytes.end(), at)) << row.pattern;
        EXPECT_EQ(image.at(kClockEventOffset + 2 * 8 - 1), 0x5A) << "neighbour entry untouched";
        const ClockEvent decoded = DecodeClockEvent(image, 2);
        EXPECT_EQ(decoded.pattern, row.shown);
        EXPECT_EQ(decoded.switchedOn, row.on);
        EXPECT_EQ(decoded.button, row.button);
    }
}

TEST(ClockEventTest, ZeroImageAndForeignBytes) {
    MemoryImage image;
    EXPECT_EQ(DecodeClockEvent(image, 0), (ClockEvent{"2000-00-00 00:00:00", true, 0}));
    const std::array<std::uint8_t, 8> foreign = {0x01, 0x05, 0xAB, 0x01, 0x01, 0x00, 0x00, 0x00};
    std::copy(foreign.begin(), foreign.end(), image.Bytes().begin() + kClockEventOffset);
    const ClockEvent decoded = DecodeClockEvent(image, 0);
    EXPECT_FALSE(decoded.switchedOn);
    EXPECT_EQ(decoded.button, 5);
    EXPECT_EQ(decoded.pattern, "20AB-01-01 00:00:00");
    // Encoding again with the box left unticked stores 0xFF.
    EncodeClockEvent(image, 0, decoded.pattern, false, decoded.button);
    EXPECT_EQ(image.at(kClockEventOffset), 0xFF);
    // A short text reads as blanks in the positions it lacks.
    EncodeClockEvent(image, 3, "2026", true, 0);
    EXPECT_EQ(DecodeClockEvent(image, 3).pattern, "2026-E*-E* E*:E*:E*");
}

TEST(DisplayRecordTest, FlagsReadAndWrite) {
    MemoryImage image;
    image.at(kDisplayConfirmationOffset) = 0x05;
    image.at(kDisplayButtonAsRemoteOffset) = 0x02;
    EXPECT_TRUE(IsEventConfirmationOn(image));
    EXPECT_FALSE(IsButtonAsRemoteOn(image));
    SetEventConfirmation(image, true);
    SetButtonAsRemote(image, true);
    EXPECT_EQ(image.at(kDisplayConfirmationOffset), 1);
    EXPECT_EQ(image.at(kDisplayButtonAsRemoteOffset), 1);
    SetDisplayMode(image, 3);
    EXPECT_EQ(DisplayMode(image), 3);
    EXPECT_EQ(image.at(kDisplayOffset), 3);
}

TEST(ScenarioTest, Offsets) {
    EXPECT_EQ(ScenarioCellOffset(0, 0, 0), 0x7E00u);
    EXPECT_EQ(ScenarioCellOffset(3, 15, 3), 0x7EFFu);
    EXPECT_EQ(ScenarioCellOffset(1, 13, 2), 0x7E00u + 64 + 52 + 2);
    EXPECT_EQ(TimerFieldOffset(0, 0, 0), 0x7F00u);
    EXPECT_EQ(TimerFieldOffset(3, 7, 3), 0x7F7Fu);
    EXPECT_EQ(ComposeActionByte(5, 3, 2), 0x5E);
}

TEST(ScenarioTest, DefaultsOverATimer) {
    MemoryImage image;
    for (int f = 0; f < 4; ++f) {
        image.at(TimerFieldOffset(0, 0, f)) = static_cast<std::uint8_t>(f + 1);  // 01:02:03.4
    }
    image.at(TimerFieldOffset(2, 5, 1)) = 44;       // a delay
    image.at(ScenarioCellOffset(1, 14, 0)) = 0x12;  // row 14 is never touched
    ApplyScenarioDefaults(image);
    EXPECT_EQ(image.at(TimerFieldOffset(0, 0, 0)), 1);
    EXPECT_EQ(image.at(TimerFieldOffset(0, 0, 1)), 2);
    EXPECT_EQ(image.at(TimerFieldOffset(0, 0, 2)), 1);
    EXPECT_EQ(image.at(TimerFieldOffset(0, 0, 3)), 4);
    EXPECT_EQ(image.at(TimerFieldOffset(3, 3, 2)), 4);
    EXPECT_EQ(image.at(TimerFieldOffset(2, 5, 1)), 44);
    EXPECT_EQ(image.at(ScenarioCellOffset(1, 14, 0)), 0x12);
    const std::uint8_t diagonal[] = {0x00, 0x40, 0xA0, 0xB0};
    for (int s = 0; s < 4; ++s) {
        for (int row = 0; row < 14; ++row) {
            for (int relay = 0; relay < 4; ++relay) {
                const std::uint8_t want = row == relay ? diagonal[s] : 0xB0;
                EXPECT_EQ(image.at(ScenarioCellOffset(s, row, relay)), want)
                    << s << '/' << row << '/' << relay;
            }
        }
    }
}

TEST(ScenarioTest, CellTextOfEveryMode) {
    struct Row {
        std::uint8_t action;
        const char* text;
    };
    const Row rows[] = {
        {0x00, "M__  TIM:0_____"},  {0x19, "Mo_  TIM:2  OP:1"}, {0x2F, "M_k  TIM:3_____"},
        {0x35, "Mok  TIM:1  OP:1"}, {0x40, "B____________"},    {0x4C, "B____________"},
        {0x5B, "Bo______  OP:3"},   {0x5E, "Bo______  OP:2"},   {0x60, "1____________"},
        {0x72, "1o______  OP:2"},   {0x8F, "0____________"},    {0x91, "0o______  OP:1"},
        {0xA0, "C____________"},    {0xB0, "_____________"},    {0xC7, "ALR__________"},
        {0xD4, "???  TIM:1_____"},  {0xEF, "???  TIM:3_____"},  {0xFF, "???  TIM:3_____"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ScenarioCellText(row.action), row.text) << std::hex << int(row.action);
    }
    EXPECT_EQ(RelayModeNames[ActionMode(0x5E)], "bistabilny opoziony");
    EXPECT_EQ(ActionTimer(0x5E), 3);
    EXPECT_EQ(ActionDelay(0x5E), 2);
}

TEST(ScenarioTest, TimerAndDelayUseIsOneRule) {
    const bool timer[13] = {1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const bool delay[13] = {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 0, 0};
    for (int m = 0; m < kRelayModeCount; ++m) {
        EXPECT_EQ(ModeUsesTimer(m), timer[m]) << m;
        EXPECT_EQ(ModeUsesDelay(m), delay[m]) << m;
    }
    for (int m = 13; m < 16; ++m) {
        EXPECT_FALSE(ModeUsesDelay(m));
        EXPECT_EQ(RelayModeShortCode(m), "???");
    }
}

}  // namespace
}  // namespace tav
