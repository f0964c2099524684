#include "demo_setup.h"

#include <QString>
#include <array>
#include <stdexcept>
#include <string>

#include "link/firmware.h"
#include "ui/device_text.h"

namespace tav::demo {

namespace {

struct DemoRemote {
    int slot;
    std::array<std::uint8_t, 4> serial;  // byte 3's low bits: the scenario
    const char* name;                    // UTF-8
};

constexpr DemoRemote kRemotes[] = {
    {0, {0x3A, 0x91, 0x0C, 0x40}, "Brama wjazdowa"},
    {1, {0x3A, 0x91, 0x0D, 0x41}, "Garaż - Kowalski"},
    {2, {0x12, 0x07, 0xE5, 0x80}, "Furtka"},
    {3, {0x12, 0x07, 0xE6, 0x82}, "Szlaban parking"},
    {4, {0x7F, 0x33, 0x01, 0x03}, "Alarm - centrala"},
    {7, {0x55, 0xAA, 0x10, 0x00}, "Pilot zapasowy"},
    {12, {0x40, 0x01, 0x02, 0x01}, "Żaluzje salon"},
    {25, {0x40, 0x01, 0x03, 0x00}, "Oświetlenie ogrodu"},
    {50, {0x0B, 0xCD, 0xEF, 0x02}, "Magazyn"},
    {51, {0x0B, 0xCD, 0xF0, 0x02}, ""},
    {99, {0x01, 0x00, 0x00, 0x00}, "Test serwisowy"},
    {999, {0xFF, 0xFF, 0xFF, 0xFE}, "Ostatni slot"},
};

struct DemoClockEvent {
    const char* pattern;
    bool on;
    std::uint8_t button;
    int scenario;
    const char* name;
};

constexpr DemoClockEvent kClockEvents[] = {
    {"20**-**-** 07:00:00", true, 0, 0, "Otwarcie bramy rano"},
    {"20**-**-** 22:30:00", true, 1, 0, "Zamknięcie na noc"},
    {"2026-12-24 16:00:00", true, 11, 2, "Wigilia - oświetlenie"},
    {"20**-**-** 12:00:**", false, 13, 3, "Test alarmu"},
};

constexpr std::size_t kDemoLogLimit = std::size_t{1} << 20;

void WriteName(MemoryImage& image, int record, const char* utf8) {
    WriteDeviceText(image, TextFieldOffset(record), ui::EncodeDeviceText(QString::fromUtf8(utf8)));
}

}  // namespace

MemoryImage DemoMemory() {
    MemoryImage image;
    for (const DemoRemote& r : kRemotes) {
        auto record = image.RecordAt(r.slot);
        for (std::size_t i = 0; i < r.serial.size(); ++i) {
            record[i] = r.serial[i];
        }
        WriteName(image, r.slot, r.name);
    }
    // An erased slot, as a receiver leaves it.
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        image.RecordAt(5)[i] = 0xFF;
    }
    for (int i = 0; i < 4; ++i) {
        const DemoClockEvent& e = kClockEvents[i];
        EncodeClockEvent(image, i, e.pattern, e.on, e.button);
        SetClockTransmitterScenario(image, i, e.scenario);
        WriteName(image, kFirstClockTransmitterRecord + i, e.name);
    }
    SetDisplayMode(image, 3);
    SetEventConfirmation(image, true);
    SetButtonAsRemote(image, true);
    WriteDisplayText(image, ui::EncodeDeviceText(QStringLiteral("Witamy! TAV-1000R demo")));
    ApplyScenarioDefaults(image);
    return image;
}

std::span<const std::uint8_t> DemoFirmware() {
    static const std::array<std::uint8_t, kFirmwareSize> pattern = [] {
        std::array<std::uint8_t, kFirmwareSize> bytes{};
        std::uint32_t state = 0x1000;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            state = state * 1103515245u + 12345u;
            bytes[i] = i % kFirmwareBlockSize == 0
                           ? static_cast<std::uint8_t>(i / kFirmwareBlockSize)
                           : static_cast<std::uint8_t>(state >> 16);
        }
        return bytes;
    }();
    return pattern;
}

sim::ReceiverOptions DemoApplicationOptions() {
    sim::ReceiverOptions app;
    app.memory = DemoMemory();
    app.history = {"2026-12-01 08:02:11 nadajnik 0001 przycisk 1 przekaznik 1 zalaczony",
                   "2026-12-01 08:02:15 nadajnik 0001 przycisk 1 przekaznik 1 wylaczony",
                   "2026-12-02 17:45:03 nadajnik 0003 przycisk 2 przekaznik 2 impuls"};
    // The demo may run for days: keep the receivers' logs bounded.
    app.logLimit = kDemoLogLimit;
    return app;
}

sim::ReceiverOptions DemoBootLoaderOptions() {
    sim::ReceiverOptions boot;
    boot.mode = sim::ReceiverMode::BootLoader;
    boot.memory = DemoMemory();
    boot.logLimit = kDemoLogLimit;
    return boot;
}

}  // namespace tav::demo
