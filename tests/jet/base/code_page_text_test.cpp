#include "jet/base/code_page_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet/base/errors.h"

namespace jet {
namespace {

const CodePageText& cp1252() {
    return codePageText(1252);
}

std::string allBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    return bytes;
}

TEST(CodePageText, EveryByteRoundTrips) {
    const std::string bytes = allBytes();
    const std::u16string text = cp1252().decode(bytes);
    ASSERT_EQ(text.size(), 256u);
    std::string back;
    EXPECT_FALSE(cp1252().encode(text, back));
    EXPECT_EQ(back, bytes);
    // Every byte has its own character, and no other character encodes.
    int encodable = 0;
    for (char32_t unit = 0; unit < 0x10000; ++unit) {
        if (auto byte = cp1252().encode(static_cast<char16_t>(unit))) {
            ++encodable;
            EXPECT_EQ(cp1252().decode(*byte), unit);
        }
    }
    EXPECT_EQ(encodable, 256);
}

TEST(CodePageText, UndefinedBytesDecodeAsWindowsDoes) {
    for (int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        const auto b = static_cast<uint8_t>(undefined);
        EXPECT_EQ(cp1252().decode(b), char16_t{b});
        EXPECT_EQ(cp1252().encode(char16_t{b}), b);
    }
    // U+0080 is not cp1252's: its byte 0x80 is the euro sign.
    EXPECT_FALSE(cp1252().encode(u'\u0080'));
}

TEST(CodePageText, EuroSignAndUmlauts) {
    EXPECT_EQ(cp1252().decode(uint8_t{0x80}), u'€');
    EXPECT_EQ(cp1252().encode(u'€'), uint8_t{0x80});
    std::vector<uint8_t> out = {0x01};
    EXPECT_FALSE(cp1252().encode(u"Grüße €5 — Œuvre™", out));
    const std::vector<uint8_t> expected = {0x01, 'G',  'r', 0xFC, 0xDF, 'e', ' ', 0x80, '5',
                                           ' ',  0x97, ' ', 0x8C, 'u',  'v', 'r', 'e',  0x99};
    EXPECT_EQ(out, expected);
    const uint8_t stored[] = {'M', 0xFC, 'l', 'l', 'e', 'r', ' ', 0x80};
    EXPECT_EQ(cp1252().decode(std::span<const uint8_t>(stored)), u"Müller €");
}

TEST(CodePageText, ReportsTheFirstCharacterItCannotHold) {
    std::string out = "x";
    auto bad = cp1252().encode(u"Kraków Łódź", out);
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->offset, 7u);  // Ł; ó is in cp1252
    EXPECT_EQ(bad->characterNumber, 8u);
    EXPECT_EQ(bad->character, U'Ł');
    EXPECT_EQ(out, "x");  // left as it was

    // A surrogate pair is one character, reported with its code point.
    bad = cp1252().findUnencodable(u"ab\U0001F600c");
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->offset, 2u);
    EXPECT_EQ(bad->characterNumber, 3u);
    EXPECT_EQ(bad->character, U'\U0001F600');
    bad = cp1252().findUnencodable(u"\U0001F600xΩ");
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->characterNumber, 1u);
    bad = cp1252().findUnencodable(u"äxΩ");
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->offset, 2u);
    EXPECT_EQ(bad->character, U'Ω');
    EXPECT_FALSE(cp1252().findUnencodable(u"Ärger über Öl ÿ"));
    // A lone surrogate half cannot be held either.
    bad = cp1252().findUnencodable(std::u16string(u"a") + char16_t{0xD83D});
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->character, char32_t{0xD83D});
}

TEST(CodePageText, DescribesTheCharacterInGerman) {
    UnencodableCharacter c;
    c.offset = 8;
    c.characterNumber = 9;
    c.character = U'Ł';
    EXPECT_EQ(unencodableDescription(c, 1252),
              "Das Zeichen „Ł“ (U+0141) an Stelle 9 lässt sich in der Codepage 1252 der "
              "Access-97-Datenbank nicht darstellen.");
    c.character = 0xD83D;
    c.characterNumber = 1;
    EXPECT_EQ(unencodableDescription(c, 1252),
              "Das Zeichen U+D83D an Stelle 1 lässt sich in der Codepage 1252 der "
              "Access-97-Datenbank nicht darstellen.");
}

TEST(CodePageText, RefusesCodePagesItDoesNotKnow) {
    EXPECT_TRUE(isSupportedCodePage(1252));
    EXPECT_FALSE(isSupportedCodePage(1250));
    EXPECT_EQ(cp1252().number(), 1252);
    try {
        codePageText(1250);
        FAIL() << "code page 1250 accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), static_cast<int32_t>(ErrorCode::UnsupportedFormat));
        EXPECT_NE(e.description().find("Codepage 1250"), std::string::npos) << e.description();
    }
}

}  // namespace
}  // namespace jet
