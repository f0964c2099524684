#include "device_text.h"

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

namespace tav::cli {

std::string Windows1250ToUtf8(std::string_view text) {
    const QByteArrayView bytes(text.data(), static_cast<qsizetype>(text.size()));
    QStringDecoder decoder("windows-1250");
    // A Qt built without ICU knows no Windows-1250: show the bytes as Latin-1
    // rather than lose them.
    const QString decoded = decoder.isValid() ? decoder.decode(bytes) : QString::fromLatin1(bytes);
    return decoded.toStdString();
}

}  // namespace tav::cli
