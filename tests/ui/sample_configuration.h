// A receiver's configuration that the window tests own: what they expect to
// see is set here, not in the demo's sample data (which may change for the
// demo's sake).
#pragma once

#include <QString>
#include <cstdint>
#include <initializer_list>

#include "image/memory_image.h"
#include "ui/device_text.h"

namespace tav::ui::testing {

inline void PutRemote(MemoryImage& image, int slot, std::initializer_list<std::uint8_t> serial,
                      const char* utf8Name) {
    std::ranges::copy(serial, image.RecordAt(slot).begin());
    WriteDeviceText(image, TextFieldOffset(slot), EncodeDeviceText(QString::fromUtf8(utf8Name)));
}

// Remotes in slots 1, 2, 3, 8 and 1000 (slot 6 erased, as a receiver leaves
// it), the default scenarios, three clock events switched on and one off,
// display mode 3 with a user text, both display flags set.
inline MemoryImage SampleConfiguration() {
    MemoryImage image;
    PutRemote(image, 0, {0x3A, 0x91, 0x0C, 0x40}, "Brama wjazdowa");
    PutRemote(image, 1, {0x3A, 0x91, 0x0D, 0x41}, "Garaż - Kowalski");
    PutRemote(image, 2, {0x12, 0x07, 0xE5, 0x80}, "Furtka");
    PutRemote(image, 7, {0x55, 0xAA, 0x10, 0x00}, "Pilot zapasowy");
    PutRemote(image, 999, {0xFF, 0xFF, 0xFF, 0xFE}, "Ostatni slot");
    std::ranges::fill(image.RecordAt(5), std::uint8_t{0xFF});
    const struct {
        const char* pattern;
        bool on;
        std::uint8_t button;
        int scenario;
        const char* name;
    } events[] = {
        {"20**-**-** 07:00:00", true, 0, 0, "Otwarcie bramy rano"},
        {"20**-**-** 22:30:00", true, 1, 0, "Zamknięcie na noc"},
        {"2026-12-24 16:00:00", true, 11, 2, "Wigilia - oświetlenie"},
        {"20**-**-** 12:00:**", false, 13, 3, "Test alarmu"},
    };
    for (int i = 0; i < 4; ++i) {
        EncodeClockEvent(image, i, events[i].pattern, events[i].on, events[i].button);
        SetClockTransmitterScenario(image, i, events[i].scenario);
        WriteDeviceText(image, TextFieldOffset(kFirstClockTransmitterRecord + i),
                        EncodeDeviceText(QString::fromUtf8(events[i].name)));
    }
    SetDisplayMode(image, 3);
    SetEventConfirmation(image, true);
    SetButtonAsRemote(image, true);
    WriteDisplayText(image, EncodeDeviceText(QStringLiteral("Witamy! TAV-1000R demo")));
    ApplyScenarioDefaults(image);
    return image;
}

}  // namespace tav::ui::testing
