#include "device_text.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

namespace tav::cli {

namespace {
constexpr char kCodec[] = "windows-1250";
}  // namespace

std::string Windows1250ToUtf8(std::string_view text) {
    const QByteArrayView bytes(text.data(), static_cast<qsizetype>(text.size()));
    QStringDecoder decoder(kCodec);
    // A Qt built without ICU knows no Windows-1250: show the bytes as Latin-1
    // rather than lose them.
    const QString decoded = decoder.isValid() ? decoder.decode(bytes) : QString::fromLatin1(bytes);
    return decoded.toStdString();
}

std::optional<std::string> Utf8ToWindows1250(std::string_view text) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded =
        utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (utf8.hasError()) {
        return std::nullopt;
    }
    QStringEncoder encoder(kCodec);
    if (!encoder.isValid()) {
        // The Latin-1 reading of Windows1250ToUtf8 above, backwards: the
        // bytes come back as they were.
        for (const QChar c : decoded) {
            if (c.unicode() > 0xFF) {
                return std::nullopt;
            }
        }
        return decoded.toLatin1().toStdString();
    }
    const QByteArray bytes = encoder.encode(decoded);
    // A character without a byte comes out as a substitute: the way back
    // shows it.
    QStringDecoder back(kCodec);
    if (encoder.hasError() || back.decode(bytes) != decoded) {
        return std::nullopt;
    }
    return bytes.toStdString();
}

}  // namespace tav::cli
