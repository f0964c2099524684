#include "device_text.h"

#include "image/windows1250.h"

namespace tav::ui {

QString DecodeDeviceText(std::string_view bytes) {
    return QString::fromStdU16String(DecodeWindows1250(bytes));
}

std::string EncodeDeviceText(const QString& text) {
    return EncodeWindows1250(text.toStdU16String()).bytes;
}

}  // namespace tav::ui
