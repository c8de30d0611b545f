#include "jet/base/text.h"

#include <gtest/gtest.h>

namespace jet {
namespace {

TEST(Text, UpperCaseCoversUmlautsAndKeepsSharpS) {
    EXPECT_EQ(upperCase(u"kunden_ä_ö_ü_ß_é"), u"KUNDEN_Ä_Ö_Ü_ß_É");
    EXPECT_EQ(upperChar(u'ÿ'), u'Ÿ');
    EXPECT_EQ(upperChar(u'÷'), u'÷');
    EXPECT_TRUE(equalIgnoringCase(u"Straße", u"STRAßE"));
    EXPECT_FALSE(equalIgnoringCase(u"Kunde", u"Kunden"));
}

TEST(Text, Utf8RoundTripsAndRepairsInvalidBytes) {
    std::u16string text = u"Grüße \U0001F600 €";
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
    EXPECT_EQ(fromUtf8("a\xC3"), u"a\uFFFD");
    EXPECT_EQ(fromUtf8("\xE0\x80\x80"), u"\uFFFD");  // overlong
}

TEST(Text, CompressedTextSwitchesModes) {
    // "ab", then two-byte mode for U+20AC, then back to "c".
    const uint8_t stored[] = {0xFF, 0xFE, 'a', 'b', 0x00, 0xAC, 0x20, 0x00, 'c'};
    EXPECT_EQ(decodeStoredText(stored), u"ab€c");
    const uint8_t plain[] = {'h', 0, 'i', 0};
    EXPECT_EQ(decodeStoredText(plain), u"hi");
}

}  // namespace
}  // namespace jet
