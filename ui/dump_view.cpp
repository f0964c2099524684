// The memory dump view (StringGrid4, hidden on the form): 256 bytes of the
// image as hexadecimal and as characters, paged with "+" and "-".
#include <algorithm>

#include "Unit1.h"
#include "device_text.h"
#include "string_grid.h"
#include "ui_Unit1.h"

namespace tav::ui {

namespace {

constexpr int kDumpBytesPerLine = 16;
constexpr int kDumpLines = 16;

}  // namespace

void TForm1::FillDumpView() {
    for (int b = 0; b < 256; ++b) {
        hexText_[static_cast<std::size_t>(b)] = QString::asprintf("%02X", b);
        const char c = static_cast<char>(b);
        charText_[static_cast<std::size_t>(b)] =
            b == 0 ? QString() : DecodeDeviceText(std::string_view(&c, 1));
    }
    // The address column, and the byte columns (the fifth one pixel wider).
    ui_->StringGrid4->SetColWidth(0, 70);
    ui_->StringGrid4->SetColWidth(5, 16);
}

void TForm1::SetDumpStart(std::int32_t offset) {
    selection_.dumpStartOffset = std::clamp(offset, 0, kLastDumpStart);
}

void TForm1::RefreshDumpView() {
    TStringGrid& grid = *ui_->StringGrid4;
    const int start = std::clamp(selection_.dumpStartOffset, 0, kLastDumpStart);
    for (int i = 0; i < kDumpBytesPerLine; ++i) {
        for (int j = 0; j < kDumpLines; ++j) {
            const int p = start + j * kDumpBytesPerLine + i;
            const auto byte = static_cast<std::size_t>(image_.at(static_cast<std::size_t>(p)));
            grid.SetCell(i + 1, 2 * j + 1, hexText_[byte]);
            grid.SetCell(i + 1, 2 * j + 2, charText_[byte]);
            if (i == 0) {
                grid.SetCell(0, 2 * j + 1, QString::asprintf("%04x-%05d", p, p));
            }
        }
    }
}

void TForm1::Button5Click() {
    SetDumpStart(selection_.dumpStartOffset + 256);
    RefreshDumpView();
}

void TForm1::Button9Click() {
    SetDumpStart(selection_.dumpStartOffset - 256);
    RefreshDumpView();
}

}  // namespace tav::ui
