// What the main window keeps beside the image: its selection, the form's
// fixed sizes the pages share, and the caption.
#pragma once

#include <QString>
#include <cstdint>

namespace tav::ui {

// What the window has selected beside the image; all zero at start, never
// saved or sent.
struct SelectionState {
    std::uint8_t currentScenario = 0;       // 0..3, shown on the scenarios page
    std::uint8_t selectedRelay = 0;         // 0..3, column of the selected scenario cell
    std::uint8_t selectedButton = 0;        // 0..13, row of the selected scenario cell
    std::int32_t selectedCellOffset = 0;    // ScenarioCellOffset of that cell
    std::int32_t selectedRemote = 0;        // 0..999
    std::int32_t selectedRemoteOffset = 0;  // selectedRemote * 32
    std::int32_t dumpStartOffset = 0;       // DumpStartOffset, 0..kLastDumpStart
};

// The pages a read changed, to be redrawn.
struct ReadPages {
    bool remotes = false;
    bool selectedRemote = false;
    bool scenarios = false;
    bool clockEvents = false;
};

// "TAV-1000R Duzedevezivi v" and the program's version: the window's caption,
// after the open file's name when there is one.
QString WindowCaption();

// How many recent settings files the menu "Plik" offers.
inline constexpr int kRecentFileCount = 8;

// Slots per row of the remotes map.
inline constexpr int kRemoteMapColumns = 50;

// The last start offset at which the dump view's 256 bytes lie inside the image.
inline constexpr std::int32_t kLastDumpStart = 0x7F00;

}  // namespace tav::ui
