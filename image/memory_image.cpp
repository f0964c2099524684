#include "image/memory_image.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace tav {

namespace {

std::size_t RemoteOffset(int remote) {
    return static_cast<std::size_t>(remote) * kRecordSize;
}

std::size_t ClockEventEntryOffset(int event) {
    return kClockEventOffset + static_cast<std::size_t>(event) * 8;
}

std::size_t ClockTransmitterScenarioOffset(int event) {
    return static_cast<std::size_t>(kFirstClockTransmitterRecord + event) * kRecordSize + 3;
}

}  // namespace

const std::array<std::string_view, kRelayModeCount> RelayModeNames = {
    "monostabilny",
    "monostab. opozniony",
    "monostab. z kasowaniem",
    "monostab. opozniony z kasowaniem",
    "bistabilny",
    "bistabilny opoziony",
    "zalaczenie",
    "zalaczenie opoznione",
    "wylaczenie",
    "wylaczenie opozione",
    "chwlowy",
    "brak akcji",
    "alarmowy",
};

const std::array<std::string_view, kRelayModeCount> RelayModeShortCodes = {
    "M__", "Mo_", "M_k", "Mok", "B__", "Bo_", "1__", "1o_", "0__", "0o_", "C__", "___", "ALR",
};

bool IsRemoteSlotUsed(const MemoryImage& image, int remote) {
    const auto r = image.RecordAt(remote);
    const bool allZero = r[0] == 0x00 && r[1] == 0x00 && r[2] == 0x00 && r[3] == 0x00;
    const bool allOnes = r[0] == 0xFF && r[1] == 0xFF && r[2] == 0xFF && r[3] == 0xFF;
    return !allZero && !allOnes;
}

std::string FormatSerialNumber(const MemoryImage& image, int remote) {
    const auto r = image.RecordAt(remote);
    char text[12];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x", r[0], r[1], r[2], r[3]);
    return text;
}

int RemoteScenario(const MemoryImage& image, int remote) {
    return image.RecordAt(remote)[3] & 3;
}

void SetRemoteScenario(MemoryImage& image, int remote, int scenario) {
    std::uint8_t& b = image.at(RemoteOffset(remote) + 3);
    b = static_cast<std::uint8_t>((b & 0xFC) + (scenario & 3));
}

std::string ReadDeviceText(const MemoryImage& image, std::size_t offset) {
    const auto bytes = image.Bytes().subspan(offset, kDeviceTextLength);
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), end);
}

void WriteDeviceText(MemoryImage& image, std::size_t offset, std::string_view text) {
    auto field = image.Bytes().subspan(offset, kDeviceTextLength);
    const std::size_t n = std::min(text.size(), kDeviceTextLength);
    std::copy_n(text.begin(), n, field.begin());
    std::fill(field.begin() + static_cast<std::ptrdiff_t>(n), field.end(), std::uint8_t{0});
}

void WriteDisplayText(MemoryImage& image, std::string_view text) {
    auto field = image.Bytes().subspan(kDisplayTextOffset, kDeviceTextLength);
    const std::size_t n = std::min(text.size(), kDeviceTextLength);
    std::copy_n(text.begin(), n, field.begin());
    if (n < kDeviceTextLength) {
        field[n] = 0;
    }
}

void SetClockTransmitterScenario(MemoryImage& image, int event, int scenario) {
    image.at(ClockTransmitterScenarioOffset(event)) = static_cast<std::uint8_t>(scenario & 3);
}

std::uint8_t ClockTransmitterScenario(const MemoryImage& image, int event) {
    return image.at(ClockTransmitterScenarioOffset(event));
}

std::uint8_t ClockDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<std::uint8_t>(c - '0');
    }
    return c == '*' ? 15 : 255;
}

void EncodeClockEvent(MemoryImage& image, int event, std::string_view pattern, bool switchedOn,
                      std::uint8_t button) {
    static constexpr int kFirstDigits[6] = {2, 5, 8, 11, 14, 17};
    auto charAt = [&](int pos) {
        return static_cast<std::size_t>(pos) < pattern.size()
                   ? pattern[static_cast<std::size_t>(pos)]
                   : ' ';
    };
    std::array<std::uint8_t, 8> entry{};
    entry[0] = switchedOn ? 0x00 : 0xFF;
    entry[1] = button;
    for (int pair = 0; pair < 6; ++pair) {
        const int p = kFirstDigits[pair];
        // 8-bit arithmetic: a 255 in either place takes part in the sum.
        entry[2 + static_cast<std::size_t>(pair)] = static_cast<std::uint8_t>(
            ClockDigitValue(charAt(p)) * 16 + ClockDigitValue(charAt(p + 1)));
    }
    std::copy(entry.begin(), entry.end(),
              image.Bytes().begin() + static_cast<std::ptrdiff_t>(ClockEventEntryOffset(event)));
}

ClockEvent DecodeClockEvent(const MemoryImage& image, int event) {
    const std::size_t at = ClockEventEntryOffset(event);
    ClockEvent result;
    result.switchedOn = image.at(at) == 0x00;
    result.button = image.at(at + 1);
    char text[24];
    std::snprintf(text, sizeof text, "20%02X-%02X-%02X %02X:%02X:%02X", image.at(at + 2),
                  image.at(at + 3), image.at(at + 4), image.at(at + 5), image.at(at + 6),
                  image.at(at + 7));
    result.pattern = text;
    std::replace(result.pattern.begin(), result.pattern.end(), 'F', '*');
    return result;
}

std::uint8_t DisplayMode(const MemoryImage& image) {
    return image.at(kDisplayModeOffset);
}
void SetDisplayMode(MemoryImage& image, std::uint8_t mode) {
    image.at(kDisplayModeOffset) = mode;
}
bool IsEventConfirmationOn(const MemoryImage& image) {
    return image.at(kDisplayConfirmationOffset) != 0;
}
void SetEventConfirmation(MemoryImage& image, bool on) {
    image.at(kDisplayConfirmationOffset) = on ? 1 : 0;
}
bool IsButtonAsRemoteOn(const MemoryImage& image) {
    return (image.at(kDisplayButtonAsRemoteOffset) & 1) != 0;
}
void SetButtonAsRemote(MemoryImage& image, bool on) {
    image.at(kDisplayButtonAsRemoteOffset) = on ? 1 : 0;
}

void ApplyScenarioDefaults(MemoryImage& image) {
    static constexpr std::uint8_t kDiagonal[kScenarioCount] = {0x00, 0x40, 0xA0, 0xB0};
    for (int s = 0; s < kScenarioCount; ++s) {
        for (int k = 0; k < kRelayCount; ++k) {
            for (int row = 0; row < kShownButtonRows; ++row) {
                image.at(ScenarioCellOffset(s, row, k)) = 0xB0;
            }
            image.at(ScenarioCellOffset(s, k, k)) = kDiagonal[s];
        }
        for (int t = 0; t < 4; ++t) {
            image.at(TimerFieldOffset(s, t, 2)) = static_cast<std::uint8_t>(t + 1);
        }
    }
}

int TimerFieldMaximum(int field) {
    static constexpr int kMaximum[kTimerFields] = {23, 59, 59, 9};
    return field >= 0 && field < kTimerFields ? kMaximum[field] : 0;
}

std::uint8_t TimerFieldFromText(std::string_view text, int field) {
    // A cell is read as "%d" reads its first 49 characters.
    text = text.substr(0, 49);
    std::size_t i = 0;
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (i < text.size() && blank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = std::min(magnitude * 10 + (text[i] - '0'), kLimit + 1);
    }
    // Saturated to the 32-bit range; only the sign and the size matter below.
    const std::int64_t value = negative ? -magnitude : std::min(magnitude, kLimit);
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(value, 0, TimerFieldMaximum(field)));
}

std::string TimerFieldText(std::uint8_t value, int field) {
    char text[8];
    std::snprintf(text, sizeof text, field < 3 ? "%02d" : "%1d", value);
    return text;
}

std::string_view RelayModeShortCode(int mode) {
    if (mode < 0 || mode >= kRelayModeCount) {
        return "???";
    }
    return RelayModeShortCodes[static_cast<std::size_t>(mode)];
}

std::string FormatTimerValue(const MemoryImage& image, int scenario, int row) {
    char buf[32];
    std::snprintf(
        buf, sizeof buf, "%02u:%02u:%02u.%u", image.at(TimerFieldOffset(scenario, row, 0)),
        image.at(TimerFieldOffset(scenario, row, 1)), image.at(TimerFieldOffset(scenario, row, 2)),
        image.at(TimerFieldOffset(scenario, row, 3)));
    return buf;
}

std::string ScenarioCellText(std::uint8_t action) {
    const int mode = ActionMode(action);
    std::string text(RelayModeShortCode(mode));
    char part[16];
    // Modes without an entry show their timer number, as a timed mode would.
    if (ModeUsesTimer(mode) || mode >= kRelayModeCount) {
        std::snprintf(part, sizeof part, "  TIM:%1d", ActionTimer(action));
        text += part;
    } else {
        text += "_____";
    }
    if (ModeUsesDelay(mode)) {
        std::snprintf(part, sizeof part, "  OP:%1d", ActionDelay(action));
        text += part;
    } else {
        text += "_____";
    }
    return text;
}

}  // namespace tav
