// Windows-1250 bytes of the memory image <-> the window's Unicode text.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tav::ui {

// Each byte as one character; never fails.
QString DecodeDeviceText(std::string_view bytes);
// One byte per character (a surrogate pair counts as one character); a
// character that Windows-1250 has no byte for is stored as "?"
// (image/windows1250.h).
std::string EncodeDeviceText(const QString& text);

}  // namespace tav::ui
