#include "device_text.h"

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include "image/windows1250.h"

namespace tav::cli {

std::string Windows1250ToUtf8(std::string_view text) {
    return QString::fromStdU16String(DecodeWindows1250(text)).toStdString();
}

std::optional<std::string> Utf8ToWindows1250(std::string_view text) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded =
        utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (utf8.hasError()) {
        return std::nullopt;
    }
    Windows1250Text bytes = EncodeWindows1250(decoded.toStdU16String());
    if (!bytes.complete) {
        return std::nullopt;
    }
    return std::move(bytes.bytes);
}

}  // namespace tav::cli
