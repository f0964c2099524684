#include "device_text.h"

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

namespace tav::cli {

std::string Windows1250ToUtf8(std::string_view text) {
    QStringDecoder decoder("windows-1250");
    const QString decoded =
        decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return decoded.toStdString();
}

}  // namespace tav::cli
