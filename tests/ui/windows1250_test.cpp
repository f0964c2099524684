// The Windows-1250 table against Qt's ICU-backed codec, byte by byte and
// character by character over the whole Basic Multilingual Plane.
#include <gtest/gtest.h>

#include <QStringDecoder>
#include <QStringEncoder>

#include "image/windows1250.h"

namespace tav {
namespace {

TEST(Windows1250Test, EveryByteDecodesAsQtsCodecDoes) {
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        QStringDecoder icu("windows-1250");
        ASSERT_TRUE(icu.isValid());
        const QString expected = icu.decode(QByteArrayView(&byte, 1));
        EXPECT_EQ(QString::fromStdU16String(DecodeWindows1250(std::string_view(&byte, 1))),
                  expected)
            << b;
    }
}

// A character has a byte exactly when Qt's codec gives one byte that reads back
// as that character; for every other one (no byte, the substitute, or dropped
// without a word) the table stores "?" and says the text is not complete.
TEST(Windows1250Test, EveryCharacterEncodesAsQtsCodecOrIsMissing) {
    int storable = 0;
    for (unsigned u = 0; u < 0x10000; ++u) {
        if (u >= 0xD800 && u < 0xE000) {
            continue;
        }
        const char16_t c = static_cast<char16_t>(u);
        QStringEncoder icu("windows-1250");
        const QByteArray bytes = icu.encode(QStringView(&c, 1));
        QStringDecoder back("windows-1250");
        const bool has = bytes.size() == 1 && QString(back.decode(bytes)) == QStringView(&c, 1);
        const Windows1250Text got = EncodeWindows1250(std::u16string_view(&c, 1));
        ASSERT_EQ(got.complete, has) << std::hex << u;
        ASSERT_EQ(got.bytes, has ? bytes.toStdString() : std::string("?")) << std::hex << u;
        storable += has ? 1 : 0;
    }
    EXPECT_EQ(storable, 256);
}

TEST(Windows1250Test, SurrogatesAreOneMissingCharacter) {
    struct Row {
        std::u16string text;
        std::string bytes;
    };
    const Row rows[] = {
        {u"a\U0001F600b", "a?b"},  // a pair: one character, one "?"
        {u"a\xD83D", "a?"},        // a lone high surrogate at the end
        {u"\xDE00z", "?z"},        // a lone low surrogate
        {u"\xD83D\xD83D\xDE00", "??"},
    };
    for (const Row& r : rows) {
        const Windows1250Text got = EncodeWindows1250(r.text);
        EXPECT_EQ(got.bytes, r.bytes);
        EXPECT_FALSE(got.complete);
    }
}

}  // namespace
}  // namespace tav
