// The receiver's 32 KiB configuration memory as the tool holds it, and the
// meaning of every record and byte the tool reads or writes.
//
// Everything here works on plain bytes. Texts are single-byte Windows-1250
// strings (std::string of bytes); converting them for display is the caller's
// business. No routine fails: every value 0..255 can stand in every byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tav {

inline constexpr std::size_t kImageSize = 32768;
inline constexpr std::size_t kRecordSize = 32;
inline constexpr int kRecordCount = 1024;

// Record map.
inline constexpr int kRemoteCount = 1000;                  // records 0..999
inline constexpr int kFirstClockTransmitterRecord = 1000;  // records 1000..1003
inline constexpr int kClockEventRecord = 1004;
inline constexpr int kDisplayRecord = 1005;
inline constexpr int kFirstScenarioRecord = 1008;  // records 1008..1015
inline constexpr int kFirstTimerRecord = 1016;     // records 1016..1019
inline constexpr int kLastScenarioGroupRecord = 1019;

inline constexpr std::size_t kClockTransmitterOffset = 0x7D00;  // 32000
inline constexpr std::size_t kClockEventOffset = 0x7D80;        // 32128
inline constexpr std::size_t kDisplayOffset = 0x7DA0;           // 32160
inline constexpr std::size_t kScenarioTableOffset = 0x7E00;     // 32256
inline constexpr std::size_t kTimerTableOffset = 0x7F00;        // 32512

// Text fields: bytes 6..31 of records 0..1003 and 1005.
inline constexpr std::size_t kTextFieldStart = 6;
inline constexpr std::size_t kDeviceTextLength = 26;

using Record = std::span<std::uint8_t, kRecordSize>;
using ConstRecord = std::span<const std::uint8_t, kRecordSize>;

// The one copy of the receiver's memory: 1024 records of 32 bytes, record n at
// offset n * 32. Zero-filled when made; nothing clears it afterwards.
class MemoryImage {
  public:
    MemoryImage() = default;
    MemoryImage(const MemoryImage&) = default;
    MemoryImage& operator=(const MemoryImage&) = default;

    // Record n (0..1023), for reading or overwriting whole.
    Record RecordAt(int n) {
        return Record(bytes_.data() + static_cast<std::size_t>(n) * kRecordSize, kRecordSize);
    }
    ConstRecord RecordAt(int n) const {
        return ConstRecord(bytes_.data() + static_cast<std::size_t>(n) * kRecordSize, kRecordSize);
    }

    std::uint8_t& at(std::size_t offset) { return bytes_.at(offset); }
    std::uint8_t at(std::size_t offset) const { return bytes_.at(offset); }

    // The whole image as one block.
    std::span<std::uint8_t, kImageSize> Bytes() { return bytes_; }
    std::span<const std::uint8_t, kImageSize> Bytes() const { return bytes_; }

    bool operator==(const MemoryImage&) const = default;

  private:
    std::array<std::uint8_t, kImageSize> bytes_{};
};

// ---- Remotes (records 0..999) ----------------------------------------------

// In use unless bytes 0..3 are all 0x00 or all 0xFF (byte 3 counts whole).
bool IsRemoteSlotUsed(const MemoryImage& image, int remote);
// "%02x:%02x:%02x:%02x" of bytes 0..3, byte 3 whole.
std::string FormatSerialNumber(const MemoryImage& image, int remote);
// Bits 1..0 of byte 3.
int RemoteScenario(const MemoryImage& image, int remote);
// Byte 3 := (byte 3 & 0xFC) + (scenario & 3); the upper six bits stay.
void SetRemoteScenario(MemoryImage& image, int remote, int scenario);
// Image offset of the name field of record n (0..1003, 1005).
constexpr std::size_t TextFieldOffset(int record) {
    return static_cast<std::size_t>(record) * kRecordSize + kTextFieldStart;
}

// ---- Texts -----------------------------------------------------------------

// Bytes from `offset` up to the first zero byte, at most 26.
std::string ReadDeviceText(const MemoryImage& image, std::size_t offset);
// The first 26 bytes of `text`; the rest of the 26-byte field is zero-filled.
void WriteDeviceText(MemoryImage& image, std::size_t offset, std::string_view text);
// Record 1005's user text: at most 26 bytes, then one zero byte when shorter.
// The bytes of the field after that zero keep their values.
void WriteDisplayText(MemoryImage& image, std::string_view text);

// ---- Clock transmitters and clock events (records 1000..1004) -------------

// Byte 3 of record 1000 + event := scenario & 3, the whole byte.
void SetClockTransmitterScenario(MemoryImage& image, int event, int scenario);
// The whole byte 3 of record 1000 + event.
std::uint8_t ClockTransmitterScenario(const MemoryImage& image, int event);

// "0".."9" -> 0..9, "*" -> 15, anything else -> 255.
std::uint8_t ClockDigitValue(char c);

// A clock event as the page shows it.
struct ClockEvent {
    std::string pattern;  // "20YY-MM-DD hh:mm:ss", "*" for a wildcard nibble
    bool switchedOn = false;
    std::uint8_t button = 0;  // index 0..13 (buttons 1..14)
    bool operator==(const ClockEvent&) const = default;
};

// Rebuilds the 8 bytes of entry `event` (0..3) of record 1004 from a
// 19-character pattern (a shorter text reads as blanks), the on flag and the
// button index.
void EncodeClockEvent(MemoryImage& image, int event, std::string_view pattern, bool switchedOn,
                      std::uint8_t button);
ClockEvent DecodeClockEvent(const MemoryImage& image, int event);

// ---- Display record (1005) --------------------------------------------------

inline constexpr std::size_t kDisplayModeOffset = kDisplayOffset + 0;
inline constexpr std::size_t kDisplayConfirmationOffset = kDisplayOffset + 1;
inline constexpr std::size_t kDisplayButtonAsRemoteOffset = kDisplayOffset + 4;
inline constexpr std::size_t kDisplayTextOffset = kDisplayOffset + kTextFieldStart;

// The names of display modes 0..3 (UTF-8), as the window's list and tavctl
// show them.
inline constexpr std::array<std::string_view, 4> DisplayModeNames = {
    "ZEGAR (godzina)", "ZEGAR (data+godzina)", "OSTATNI NADAJNIK", "NAPIS UŻYTKOWNIKA"};

std::uint8_t DisplayMode(const MemoryImage& image);
void SetDisplayMode(MemoryImage& image, std::uint8_t mode);
// Any non-zero byte 1 reads as on; written as 1 or 0.
bool IsEventConfirmationOn(const MemoryImage& image);
void SetEventConfirmation(MemoryImage& image, bool on);
// Bit 0 of byte 4 reads as the option; written as the whole byte 1 or 0.
bool IsButtonAsRemoteOn(const MemoryImage& image);
void SetButtonAsRemote(MemoryImage& image, bool on);

// ---- Scenarios and timers (records 1008..1019) -----------------------------

inline constexpr int kScenarioCount = 4;
inline constexpr int kShownButtonRows = 14;  // rows 0..13; 14 and 15 are never shown
inline constexpr int kRelayCount = 4;
inline constexpr int kTimerRows = 8;    // 0..3 timers, 4..7 delays
inline constexpr int kTimerFields = 4;  // hours, minutes, seconds, tenths

constexpr std::size_t ScenarioCellOffset(int scenario, int row, int relay) {
    return kScenarioTableOffset + static_cast<std::size_t>(scenario) * 64 +
           static_cast<std::size_t>(row) * 4 + static_cast<std::size_t>(relay);
}
constexpr std::size_t TimerFieldOffset(int scenario, int row, int field) {
    return kTimerTableOffset + static_cast<std::size_t>(scenario) * 32 +
           static_cast<std::size_t>(row) * 4 + static_cast<std::size_t>(field);
}
constexpr std::uint8_t ComposeActionByte(int mode, int timer, int delay) {
    return static_cast<std::uint8_t>(mode * 16 + timer * 4 + delay);
}
constexpr int ActionMode(std::uint8_t a) {
    return a >> 4;
}
constexpr int ActionTimer(std::uint8_t a) {
    return (a >> 2) & 3;
}
constexpr int ActionDelay(std::uint8_t a) {
    return a & 3;
}

// The largest value field f (0 hours, 1 minutes, 2 seconds, 3 tenths) of a
// timer row takes: 23, 59, 59, 9.
int TimerFieldMaximum(int field);
// A timer-grid cell as the user typed it -> the value stored for field f.
// Reads the number at the start of the first 49 characters as "%d" does
// (blanks, a sign, digits; a 32-bit overflow saturates), takes 0 when there is
// none (also for an empty text), then clamps it to 0..TimerFieldMaximum(f).
std::uint8_t TimerFieldFromText(std::string_view text, int field);
// The grid's text of a stored value: "%02d" for fields 0..2, "%1d" for field 3.
std::string TimerFieldText(std::uint8_t value, int field);

// Timer or delay row `row` (0..3 timers, 4..7 delays) of `scenario` as
// "hh:mm:ss.t".
std::string FormatTimerValue(const MemoryImage& image, int scenario, int row);

// Rewrites the scenario table with the default scenarios and the seconds of
// timers 0..3 of every scenario with 1..4; nothing else changes.
void ApplyScenarioDefaults(MemoryImage& image);

// ---- Relay modes -----------------------------------------------------------

inline constexpr int kRelayModeCount = 13;
extern const std::array<std::string_view, kRelayModeCount> RelayModeNames;
extern const std::array<std::string_view, kRelayModeCount> RelayModeShortCodes;

// The one rule for which modes use a timer (0..3) and which a delay (1, 3, 5,
// 7, 9). Modes 13..15 have no entry and use neither.
constexpr bool ModeUsesTimer(int mode) {
    return mode >= 0 && mode <= 3;
}
constexpr bool ModeUsesDelay(int mode) {
    return mode >= 1 && mode <= 9 && mode % 2 == 1;
}

// The short code of a mode; "???" for 13..15.
std::string_view RelayModeShortCode(int mode);
// The scenario grid's text of one cell, e.g. "Mo_  TIM:2  OP:1". Modes 13..15
// read "???" with the timer part shown and no delay part.
std::string ScenarioCellText(std::uint8_t action);

}  // namespace tav
