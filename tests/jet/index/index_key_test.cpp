#include "jet/index/index_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "jet/base/errors.h"
#include "jet/index/index_text_codes.h"
#include "jet/index/index_text_codes_2010.h"

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

std::string textKey(std::u16string_view text, bool ascending = true) {
    std::vector<uint8_t> out;
    appendTextKey(out, text, ascending);
    return hex(out);
}

ColumnDef column(ColumnType type, uint16_t number = 0) {
    ColumnDef c;
    c.typeCode = static_cast<uint8_t>(type);
    c.number = number;
    c.sortLcid = 1033;
    c.name = u"f";
    return c;
}

std::string key(ColumnType type, const Value& value, bool ascending = true) {
    std::vector<uint8_t> out;
    appendColumnKey(out, column(type), value, ascending);
    return hex(out);
}

// Keys Access stored in testUnicodeCompV2003.mdb, table "Table", index on "Unicode".
TEST(IndexTextKey, MatchesAccessBuiltKeys) {
    struct Case {
        std::u16string text;
        const char* key;
    };
    const Case cases[] = {
        {u"admin", "7f4a4f6059620100"},
        {u"Admin User", "7f4a4f605962076f6b51690100"},
        {u"-1", "7f38010101018007068200"},
        {u"only ascii chars", "7f64625e76074a6b4d5959074d574a696b0100"},
        {u"ääkkösiä", "7f4a4a5c5c646b594a01131302021302021300"},
        {u"Мир", "7f7943793b79480100"},
        {u"\u03F0\u03B1\u1F76 \u03C4\u1F79\u03C4' \u1F10\u03B3\u1F7C "
         u"\u039A\u1F7B\u03F0\u03BB\u03C9\u03C0\u03B1",
         "7f7915790c07791e791e07790e077915791579167923791b790c0103020202020202020203010101801b06"
         "8000"},
        {u"漢字仮名交じり文", "7fc0b6acaca00da5479fbe7f137f43b6f6010202020202030101ff0280ff8000"},
        {u"3L9\x1d"
         u"52\x02_AB(¥\x05!!V",
         "7f3c5e48403a2b034a4c1434a9090971010101018013061a801b0604802f060700"},
        {u"ümlaut", "7f6f605e4a6f6d011300"},
    };
    for (const Case& c : cases) EXPECT_EQ(textKey(c.text), c.key);
}

// Every code unit from U+0001 to U+00FF: unprintable, extra and multi-byte inline codes at once.
TEST(IndexTextKey, MatchesAccessBuiltKeyForAllLatin1) {
    std::u16string text;
    for (char16_t c = 1; c <= 0xFF; ++c) text += c;
    const std::string expected =
        "7f0803080408050806080707090a0c0e10121416182c1a1c1e36383a3c3e404244464820222e303224264a4c"
        "4d4f51535557595b5c5e6062646668696b6d6f717375767827292a2b022b032b074a4c4d4f51535557595b5c"
        "5e6062646668696b6d6f71737576782b092b0b2b0d2b0f08022b1034a634a734a834a92b1134aa2b1234ab4a"
        "330534ac34ad2b1334ae33043a3c2b1434af34b034b12b153864330737123716371a2b164a4a4a4a4a4a4a51"
        "4d51515151595959594f6264646464643309646f6f6f6f766d576b6b4a4a4a4a4a4a4a514d51515151595959"
        "594f626464646464330a646f6f6f6f766d577601020202020202020202020202020202020202020202020202"
        "0202020202020202020202020202020202020202020202020202020202020202020202020202020202020202"
        "0202020202020202020202020202020202020202020202020202020202020202020202020202020203020202"
        "02020202020202020202020302020202020f0e1219131a021c0f0e12130f0e121368190f0e12191302210f0e"
        "12130e02020f0e1219131a021c0f0e12130f0e121368190f0e12191302210f0e12130e021301010180070603"
        "8007060480070605800706068007060780070608800706098007060a801b060b801b060c801b060d801b060e"
        "801b060f801b0610801b0611801b0612801b0613801b0614801b0615801b0616801b0617801b0618801b0619"
        "801b061a801b061b801b061c80370680804b0682818f061d818f061e818f061f818f0620818f0621818f0622"
        "818f0623818f0624818f0625818f0626818f0627818f0628818f0629818f062a818f062b818f062c818f062d"
        "818f062e818f062f818f0630818f0631818f0632818f0633818f0634818f0635818f0636818f0637818f0638"
        "818f0639818f063a818f063b818f063c818f063d81c3068300";
    EXPECT_EQ(textKey(text), expected);
}

TEST(IndexTextKey, TrimsTrailingSpacesAndCutsAt255Chars) {
    EXPECT_EQ(textKey(u"admin   "), textKey(u"admin"));
    EXPECT_NE(textKey(u" admin"), textKey(u"admin"));
    EXPECT_EQ(textKey(std::u16string(300, u'a')), textKey(std::u16string(255, u'a')));
    EXPECT_NE(textKey(std::u16string(255, u'a')), textKey(std::u16string(254, u'a')));
    // Spaces that end up last only after the cut are trimmed as well.
    EXPECT_EQ(textKey(std::u16string(250, u'a') + std::u16string(10, u' ') + u"b"),
              textKey(std::u16string(250, u'a')));
}

TEST(IndexTextKey, DescendingInvertsBodyAndEndsWithFF00) {
    EXPECT_EQ(textKey(u"admin", false), "80b5b09fa69dfeff00");
    EXPECT_EQ(textKey(u"", true), "7f0100");
    EXPECT_EQ(textKey(u"", false), "80feff00");
    EXPECT_EQ(textKey(u"-1", false), "80c7fefefefe7ff8f97dff00");
}

TEST(IndexTextKey, UnprintablePositionCountsExtraBytes) {
    EXPECT_EQ(textKey(u"a-"), "7f4a01010101800b068200");
    // U+01E2 has two extra bytes, so the hyphen after it sits at extra position 2.
    EXPECT_EQ(textKey(u"\u01E2-"), "7f4a51011717010101800f068200");
}

TEST(IndexTextKey, ModifierWithoutExtraBecomesUncountedPrefix) {
    // U+02B9 modifies an extra byte that does not exist yet.
    EXPECT_EQ(textKey(u"\u02B9-a"), "7f4a010c0101018007068200");
}

TEST(IndexTextKey, PacksCrazyFlagsThreeToAByte) {
    EXPECT_EQ(textKey(u"\u3041"), "7f7f02010101a0ff0280ff8000");
    EXPECT_EQ(textKey(u"\u3042"), "7f7f02010101ff0280ff8000");  // clear flags trimmed away
    EXPECT_EQ(textKey(u"\u3041\u3041\u3041\u3041"), "7f7f027f027f027f02010101aaa0ff0280ff8000");
    EXPECT_EQ(textKey(u"\u3041-"), "7f7f02010101a0ff0280ff80ff01800b068200");
}

TEST(IndexTextKey, SurrogatesCarryNoWeight) {
    const std::u16string pair = u"\U0001F600";
    EXPECT_EQ(textKey(pair + u"aa"), textKey(u"aa"));
    EXPECT_EQ(textKey(u"a" + pair + u"a"), textKey(u"aa"));
    EXPECT_EQ(generalLegacyCodes(0xD800).type, CharCodeType::Ignored);
    EXPECT_EQ(tableCodes(0xDFFF).type, CharCodeType::Surrogate);
}

// A generated table against the code files it came from, when the shared folder is there.
void expectTableMatchesCodeFiles(CharCodes (*codes)(char16_t), const std::string& baseFile,
                                 const std::string& extFile) {
    const std::filesystem::path dir =
        std::filesystem::path(SQLVANTOR_FIXTURES).parent_path() / "jet-index-codes";
    std::ifstream base(dir / baseFile);
    std::ifstream ext(dir / extFile);
    if (!base || !ext) GTEST_SKIP() << "code files not found in " << dir;

    auto bytesOf = [](std::string field) {
        if (field.size() % 2) field.insert(0, "0");
        std::vector<uint8_t> out;
        for (size_t i = 0; i < field.size(); i += 2) {
            out.push_back(static_cast<uint8_t>(std::stoi(field.substr(i, 2), nullptr, 16)));
        }
        return out;
    };
    auto vec = [](std::span<const uint8_t> s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    for (uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
        if (unit >= 0xD800 && unit <= 0xDFFF) continue;
        std::string line;
        ASSERT_TRUE(std::getline(unit < 0x100 ? base : ext, line)) << unit;
        std::vector<std::string> f(3);
        size_t n = 0;
        for (char ch : line.substr(1)) {
            if (ch == ',')
                ++n;
            else
                f[n] += ch;
        }
        const CharCodes c = codes(static_cast<char16_t>(unit));
        SCOPED_TRACE(line + " at " + std::to_string(unit));
        switch (line[0]) {
            case 'S':
                EXPECT_EQ(vec(c.inlineCodes()), bytesOf(f[0]));
                break;
            case 'I':
                EXPECT_EQ(vec(c.inlineCodes()), bytesOf(f[0]));
                EXPECT_EQ(vec(c.extraCodes()), bytesOf(f[1]));
                break;
            case 'U':
                EXPECT_EQ(std::vector<uint8_t>{c.unprintableCode}, bytesOf(f[0]));
                break;
            case 'P':
                EXPECT_EQ(std::vector<uint8_t>{c.extraModifier}, bytesOf(f[0]));
                break;
            case 'Z':
                EXPECT_EQ(vec(c.inlineCodes()), bytesOf(f[0]));
                EXPECT_EQ(vec(c.extraCodes()),
                          f[1].empty() ? std::vector<uint8_t>{} : bytesOf(f[1]));
                EXPECT_EQ(c.crazyFlag, f[2] == "1" ? 2 : 3);
                break;
            default:
                EXPECT_EQ(c.type, CharCodeType::Ignored);
        }
    }
}

TEST(IndexTextCodes, MatchGeneralLegacyCodeFiles) {
    expectTableMatchesCodeFiles(tableCodes, "index_codes_genleg.txt", "index_codes_ext_genleg.txt");
}

// General's codes run to 8 inline and 3 extra bytes.
TEST(IndexTextCodes, MatchGeneralCodeFiles) {
    expectTableMatchesCodeFiles(generalTableCodes, "index_codes_gen.txt",
                                "index_codes_ext_gen.txt");
}

std::string generalKey(std::u16string_view text, bool ascending = true) {
    std::vector<uint8_t> out;
    appendTextGeneralKey(out, text, ascending);
    return hex(out);
}

// Keys Access 2010 stored in fixedTextTestV2010 and test2V2010: two bytes a letter, case
// ignored, the hyphen unprintable as under General Legacy.
TEST(IndexTextGeneralKey, MatchesAccessBuiltKeys) {
    EXPECT_EQ(generalKey(u"admin"), "7f0e020e1a0e510e320e700100");
    EXPECT_EQ(generalKey(u"Admin User"), "7f0e020e1a0e510e320e7007020e9f0e910e210e8a0100");
    EXPECT_EQ(generalKey(u"CORE USER"), "7f0e0a0e7c0e8a0e2107020e9f0e910e210e8a0100");
    EXPECT_EQ(generalKey(u"Core User"), generalKey(u"CORE USER"));
    EXPECT_EQ(generalKey(u"-1"), "7f0d19010101018007068200");
    EXPECT_EQ(generalKey(u"Project1"), "7f0e7e0e8a0e7c0e350e210e0a0e990d190100");
    // Not the General Legacy key.
    EXPECT_NE(generalKey(u"admin"), textKey(u"admin"));
}

TEST(IndexTextGeneralKey, DescendingTrailingSpacesAndDispatch) {
    EXPECT_EQ(generalKey(u"admin", false), "80f1fdf1e5f1aef1cdf18ffeff00");
    EXPECT_EQ(generalKey(u"admin  "), generalKey(u"admin"));
    ColumnDef general = column(ColumnType::Text);
    general.sortVersion = 1;
    std::vector<uint8_t> out;
    appendColumnKey(out, general, std::u16string(u"admin"), true);
    EXPECT_EQ(hex(out), generalKey(u"admin"));
    general.sortVersion = 2;  // a sort version of a later Access
    EXPECT_THROW(appendColumnKey(out, general, std::u16string(u"admin"), true), Error);
}

// A surrogate half is weighed by its code unit: two inline bytes and the extra byte 0x3F each.
TEST(IndexTextGeneralKey, SurrogatePairsTakeComputedCodes) {
    EXPECT_EQ(generalKey(u"\U0001F600"), "7fb03fb6fc013f3f00");  // D83D DE00
    // The low half's code skips the low bytes 00 and 01 at each 254-unit step of its window.
    EXPECT_EQ(hex({generalCodes(0xDC07).inlineBytes[0], generalCodes(0xDC07).inlineBytes[1]}),
              "b4ff");
    EXPECT_EQ(hex({generalCodes(0xDC08).inlineBytes[0], generalCodes(0xDC08).inlineBytes[1]}),
              "b502");
    EXPECT_LT(generalKey(u"\U0001F600"), generalKey(u"\U0001F601"));
}

TEST(IndexKeyNumbers, IntegersFlipTheSignBit) {
    EXPECT_EQ(key(ColumnType::Long, int32_t{3}), "7f80000003");
    EXPECT_EQ(key(ColumnType::Long, int32_t{19}, false), "807fffffec");
    EXPECT_EQ(key(ColumnType::Integer, int16_t{-1}), "7f7fff");
    EXPECT_EQ(key(ColumnType::Integer, int16_t{-1}, false), "808000");
    EXPECT_EQ(key(ColumnType::Byte, uint8_t{5}), "7f05");
    EXPECT_EQ(key(ColumnType::Byte, uint8_t{5}, false), "80fa");
    EXPECT_EQ(key(ColumnType::Currency, Currency{15000}), "7f8000000000003a98");
}

TEST(IndexKeyNumbers, FloatingPointNegativesInvert) {
    EXPECT_EQ(key(ColumnType::Double, 1.0), "7fbff0000000000000");
    EXPECT_EQ(key(ColumnType::Double, -1.0), "7f400fffffffffffff");
    EXPECT_EQ(key(ColumnType::Double, 1.0, false), "80400fffffffffffff");
    EXPECT_EQ(key(ColumnType::Single, 1.0f), "7fbf800000");
    EXPECT_EQ(key(ColumnType::DateTime, DateTime{1.0}), key(ColumnType::Double, 1.0));
}

TEST(IndexKeyNumbers, KeysSortLikeValues) {
    const std::vector<double> sorted = {-1e300, -2.5, -1.0, -0.0, 0.0, 1e-300, 1.0, 2.5, 1e300};
    const std::vector<int32_t> ints = {INT32_MIN, -70000, -1, 0, 1, 255, 70000, INT32_MAX};
    for (bool ascending : {true, false}) {
        std::vector<std::string> doubles, longs;
        for (double d : sorted) doubles.push_back(key(ColumnType::Double, d, ascending));
        for (int32_t i : ints) longs.push_back(key(ColumnType::Long, i, ascending));
        if (!ascending) {
            std::reverse(doubles.begin(), doubles.end());
            std::reverse(longs.begin(), longs.end());
        }
        EXPECT_TRUE(std::is_sorted(doubles.begin(), doubles.end())) << ascending;
        EXPECT_TRUE(std::is_sorted(longs.begin(), longs.end())) << ascending;
    }
}

TEST(IndexKeyNumbers, LegacyDecimalKeepsDescendingBug) {
    const Decimal one{false, 0, 0, 1};
    const Decimal minusOne{true, 0, 0, 1};
    EXPECT_EQ(key(ColumnType::Decimal, one), "7fff00000000000000000000000000000001");
    EXPECT_EQ(key(ColumnType::Decimal, minusOne), "7f00fffffffffffffffffffffffffffffffe");
    EXPECT_EQ(key(ColumnType::Decimal, one, false), "80fffffffffffffffffffffffffffffffffe");
    EXPECT_EQ(key(ColumnType::Decimal, minusOne, false), "800000000000000000000000000000000001");
    // Negative zero is zero.
    EXPECT_EQ(key(ColumnType::Decimal, Decimal{true, 0, 0, 0}),
              key(ColumnType::Decimal, Decimal{}));
}

// ACE sets the sign byte before inverting: descending keys sort right, negatives last.
TEST(IndexKeyNumbers, AceDecimalSortsBothDirections) {
    ColumnDef ace = column(ColumnType::Decimal);
    ace.legacyDecimalKey = false;
    auto aceKey = [&ace](const Decimal& d, bool ascending) {
        std::vector<uint8_t> out;
        appendColumnKey(out, ace, d, ascending);
        return hex(out);
    };
    const Decimal one{false, 0, 0, 1};
    const Decimal minusOne{true, 0, 0, 1};
    EXPECT_EQ(aceKey(one, true), "7fff00000000000000000000000000000001");
    EXPECT_EQ(aceKey(minusOne, true), "7f00fffffffffffffffffffffffffffffffe");
    EXPECT_EQ(aceKey(one, false), "8000fffffffffffffffffffffffffffffffe");
    EXPECT_EQ(aceKey(minusOne, false), "80ff00000000000000000000000000000001");
    EXPECT_GT(aceKey(minusOne, false), aceKey(Decimal{}, false));
    EXPECT_EQ(aceKey(Decimal{true, 0, 0, 0}, true), aceKey(Decimal{}, true));
}

TEST(IndexKeyOther, BooleanNeverNullTrueFirst) {
    EXPECT_EQ(key(ColumnType::Boolean, true), "7f00");
    EXPECT_EQ(key(ColumnType::Boolean, false), "7fff");
    EXPECT_EQ(key(ColumnType::Boolean, true, false), "80ff");
    EXPECT_EQ(key(ColumnType::Boolean, false, false), "8000");
    EXPECT_EQ(key(ColumnType::Boolean, Null{}), "7fff");
}

TEST(IndexKeyOther, BinaryAndGuidInEightByteSegments) {
    Guid g;
    for (uint8_t i = 0; i < 16; ++i) g.bytes[i] = static_cast<uint8_t>(i * 0x11);
    EXPECT_EQ(key(ColumnType::Guid, g), "7f0011223344556677098899aabbccddeeff08");
    EXPECT_EQ(key(ColumnType::Guid, g, false), "80ffeeddccbbaa9988097766554433221100f7");
    EXPECT_EQ(key(ColumnType::Binary, Bytes{1, 2, 3}), "7f010203000000000003");
    EXPECT_EQ(key(ColumnType::Binary, Bytes{1, 2, 3}, false), "80fefdfcfffffffffffc");
    EXPECT_EQ(key(ColumnType::Binary, Bytes(9, 0xAB)), "7fabababababababab09ab0000000000000001");
}

TEST(IndexKeyOther, NullsAndConversions) {
    EXPECT_EQ(key(ColumnType::Long, Null{}), "00");
    EXPECT_EQ(key(ColumnType::Text, Null{}, false), "ff");
    EXPECT_EQ(key(ColumnType::Integer, int32_t{-1}), key(ColumnType::Integer, int16_t{-1}));
    EXPECT_EQ(key(ColumnType::Currency, 1.5), key(ColumnType::Currency, Currency{15000}));
    EXPECT_EQ(key(ColumnType::Long, 2.5), key(ColumnType::Long, int32_t{2}));  // half to even
    EXPECT_THROW(key(ColumnType::Integer, int32_t{40000}), Error);
    EXPECT_THROW(key(ColumnType::Long, std::u16string(u"1")), Error);
}

TEST(IndexKeyOther, RejectsColumnsItCannotKey) {
    EXPECT_THROW(key(ColumnType::OLE, Bytes{1}), Error);
    EXPECT_THROW(key(ColumnType::OLE, Null{}), Error);
    ColumnDef swedish = column(ColumnType::Text);
    swedish.sortLcid = 0x041D;
    std::vector<uint8_t> out;
    EXPECT_THROW(appendColumnKey(out, swedish, std::u16string(u"a"), true), Error);
}

TEST(IndexKeyMultiColumn, JoinsPiecesInIndexOrder) {
    TableDefinition table;
    table.columns = {column(ColumnType::Text, 0), column(ColumnType::Long, 1)};
    RealIndexDef index;
    index.columns = {{1, false}, {0, true}};
    const std::vector<Value> values = {std::u16string(u"admin"), int32_t{19}};
    EXPECT_EQ(hex(indexKey(table, index, values)), "807fffffec7f4a4f6059620100");
    // A row without column 1 is NULL there.
    EXPECT_EQ(hex(indexKey(table, index, std::span(values).first(1))), "ff7f4a4f6059620100");
    index.columns.push_back({7, true});
    EXPECT_THROW(indexKey(table, index, values), Error);
}

}  // namespace
}  // namespace jet
