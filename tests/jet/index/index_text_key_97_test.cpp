// The General 97 text keys (Access 97, Jet 3) against the keys Access 97 stored in the Jet 3
// fixtures (data/gen97_keys.txt, see its head) and against hand cases.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "jet/base/code_page_text.h"
#include "jet/index/index_key.h"
#include "jet/index/index_text_codes_97.h"

namespace jet {
namespace {

std::string hex(const std::vector<uint8_t>& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 0xF];
    }
    return out;
}

std::string unhex(const std::string& text) {
    std::string out;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        out += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    return out;
}

std::string key97(std::string_view bytes, bool ascending = true) {
    std::vector<uint8_t> out;
    appendText97Key(out, bytes, ascending);
    return hex(out);
}

// The bytes the value has in an Access 97 database.
std::string cp1252(std::u16string_view text) {
    std::string bytes;
    EXPECT_FALSE(codePageText(1252).encode(text, bytes));
    return bytes;
}

std::string repeat(const std::string& piece, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i) out += piece;
    return out;
}

// Every text key Access 97 stored in the fixtures, recomputed byte for byte.
TEST(IndexText97Key, MatchesEveryKeyAccessStoredInTheFixtures) {
    const auto path = std::filesystem::path(__FILE__).parent_path() / "data" / "gen97_keys.txt";
    std::ifstream in(path);
    ASSERT_TRUE(in) << path;
    std::string line;
    size_t checked = 0, descending = 0;
    std::set<unsigned char> bytesSeen;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string direction, value, key;
        ASSERT_TRUE(fields >> direction >> value >> key) << line;
        const bool ascending = direction == "a";
        const std::string bytes = value == "-" ? "" : unhex(value);
        bytesSeen.insert(bytes.begin(), bytes.end());
        EXPECT_EQ(key97(bytes, ascending), key) << line;
        ++checked;
        if (!ascending) ++descending;
    }
    EXPECT_EQ(checked, 1507u);
    EXPECT_EQ(descending, 573u);
    // Every byte but 0x00 and 0x1A, the undefined 0x81 0x8D 0x8F 0x90 0x9D included.
    EXPECT_EQ(bytesSeen.size(), 254u);
}

// Keys from docs/jet3-format.md §10.3, as Access 97 stored them.
TEST(IndexText97Key, MatchesAccessKeysOfTheFormatNotes) {
    EXPECT_EQ(key97(cp1252(u"AAÀAA")), "7f6060606060022300");
    EXPECT_EQ(key97(cp1252(u"AAÁAA")), "7f6060606060022400");
    EXPECT_EQ(key97(cp1252(u"-Á-Á-")), "7f1e601e601e0440");
    EXPECT_EQ(key97(cp1252(u"-ÁA-Á")), "7f1e60601e60042400");
    EXPECT_EQ(key97("row99", false), "808a8d84a0a0ff");
    // nwind.mdb: ß stands for two significant letters ("ss") before the ü...
    EXPECT_EQ(key97(cp1252(u"Heli Süßwaren GmbH & Co. KG")),
              "7f69666d6a11767876767b6075667011686f616911171162721f116c68022260");
    // ...and after it (ten placeholders before ä, §10.4).
    EXPECT_EQ(key97(cp1252(u"Plutzer Lebensmittelgroßmärkte AG")),
              "7f736d78777e6675116d66616670766f6a7777666d68757276766f60756c77661160680222222222"
              "2260");
    // A NUL is keyed like the other control characters (§10.4).
    EXPECT_EQ(key97(std::string_view("Lock\0", 5)), "7f6d72626c1000");
}

TEST(IndexText97Key, EmptyTextAndTrailingSpaces) {
    EXPECT_EQ(key97(""), "7f00");
    EXPECT_EQ(key97("", false), "80ff");
    EXPECT_EQ(key97("   "), "7f00");
    EXPECT_EQ(key97("ABC  "), key97("ABC"));
    EXPECT_EQ(key97("ABC  "), "7f60616200");
    EXPECT_EQ(key97(" A"), "7f116000");
}

TEST(IndexText97Key, DescendingInvertsEverythingAfterTheFlag) {
    EXPECT_EQ(key97(cp1252(u"Müller")), "7f6f786d6d66750600");
    EXPECT_EQ(key97(cp1252(u"Müller"), false), "8090879292998af9ff");
    EXPECT_EQ(key97(cp1252(u"€uro")), "7f1078757200");
    EXPECT_EQ(key97(cp1252(u"€uro"), false), "80ef878a8dff");
}

TEST(IndexText97Key, CaseAndAccentsSortTogether) {
    EXPECT_EQ(key97(cp1252(u"Ärger")), key97(cp1252(u"äRGER")));
    EXPECT_LT(key97("Aerger"), key97("Ahorn"));
    EXPECT_LT(key97("ar"), key97(cp1252(u"är")));  // the accent section decides
    EXPECT_LT(key97(cp1252(u"är")), key97("as"));
}

TEST(IndexText97Key, TheLongestTexts) {
    // 255 characters are keyed, then trailing spaces dropped.
    EXPECT_EQ(key97("a" + std::string(254, ' ') + "b"), "7f6000");
    // 255 accented letters: one accent nibble each, between the opening and closing nibble.
    EXPECT_EQ(key97(repeat(cp1252(u"ä"), 300)),
              "7f" + repeat("60", 255) + "0" + repeat("6", 255) + "00");
    // The largest accent section: 254 × ß (508 significant letters), then é.
    EXPECT_EQ(key97(repeat(cp1252(u"ß"), 254) + cp1252(u"é")),
              "7f" + repeat("7676", 254) + "66" + "0" + repeat("2", 508) + "40" + "0");
    // 255 ligatures with two inline bytes each.
    EXPECT_EQ(key97(repeat(cp1252(u"œ"), 300), false), "80" + repeat("8d99", 255) + "ff");
}

// Every byte 0x00-0xFF at once; the key as docs/jet3/gen97_key.py computes it.
TEST(IndexText97Key, EveryByteAsTheReferenceComputesIt) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    EXPECT_EQ(
        key97(bytes),
        "7f10101010101010101011101010101010101010101010101010101010101010101112131415161718191a"
        "1b1c1d1e1f20565758595a5b5c5d5e5f2122232425262760616264666768696a6b6c6d6f70727374757677"
        "787a7b7c7d7e28292a2b2c2d60616264666768696a6b6c6d6f70727374757677787a7b7c7d7e2e2f303110"
        "10101832133334353637761872661010101018181313381e1e393a7618726610107d113b3c3d3e3f404142"
        "434413451e4647484958594a4b4c4d4e574f1350515253606060606060606662666666666a6a6a6a657072"
        "727272725481787878787d7f7676606060606060606662666666666a6a6a6a657072727272725581787878"
        "787d7f0222222222222222222a22a226345768229345634567345763456422345768229345634567345763"
        "456400");
}

TEST(IndexText97Key, AppendsToWhatIsThere) {
    std::vector<uint8_t> out = {0x7F, 0x80, 0x00, 0x00, 0x01};
    appendText97Key(out, "a", true);
    EXPECT_EQ(hex(out), "7f800000017f6000");
}

TEST(IndexText97Key, CodeTableAsTheFileStatesIt) {
    const auto& table = general97TableCodes();
    int simple = 0, significant = 0, accented = 0, ignored = 0;
    for (const Gen97Codes& c : table) {
        simple += c.type == Gen97CodeType::Simple;
        significant += c.type == Gen97CodeType::Significant;
        accented += c.type == Gen97CodeType::Accented;
        ignored += c.type == Gen97CodeType::Ignored;
    }
    EXPECT_EQ(simple, 181);
    EXPECT_EQ(accented, 56);
    EXPECT_EQ(significant, 18);
    EXPECT_EQ(ignored, 1);
    EXPECT_EQ(table[0xE9].accent, 4);
    EXPECT_EQ(general97Codes()[0x00].codes.inlineBytes[0], 0x10);
    EXPECT_EQ(general97Codes()[0xE6].significant, 2);  // æ = "ae"
    EXPECT_EQ(general97Codes()['b'].significant, 0);
}

}  // namespace
}  // namespace jet
