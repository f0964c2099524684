#include "device_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tav::ui {

namespace {

constexpr char kCodec[] = "windows-1250";
// What Qt's converter puts where it has no byte for a character.
constexpr char kSubstitute = 0x1A;

}  // namespace

QString DecodeDeviceText(std::string_view bytes) {
    QStringDecoder decoder(kCodec);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string EncodeDeviceText(const QString& text) {
    QStringEncoder encoder(kCodec);
    const QByteArray whole = encoder.encode(text);
    if (!whole.contains(kSubstitute)) {
        return whole.toStdString();
    }
    // Tell a genuine control character 0x1A from a character without a byte.
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QStringView one = QStringView(text).mid(i, n);
        QStringEncoder single(kCodec);
        const QByteArray b = single.encode(one);
        if (b.size() == 1 && (b.at(0) != kSubstitute || one == u"\x1A")) {
            out.push_back(b.at(0));
        } else {
            out.push_back('?');
        }
        i += n;
    }
    return out;
}

}  // namespace tav::ui
