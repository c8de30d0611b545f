#include "jet/catalog/properties.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "jet/base/text.h"
#include "jet/catalog/catalog.h"
#include "jet/catalog/property_value.h"

namespace jet {
namespace {

constexpr uint32_t kPage = 7;

// Builds blobs in the stored layout.
Bytes le(size_t v, int width) {
    Bytes out;
    for (int i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(v >> 8 * i));
    return out;
}
Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
Bytes name(std::u16string_view n) {
    Bytes out = le(n.size() * 2, 2);
    for (char16_t c : n) out = cat({out, le(c, 2)});
    return out;
}
Bytes chunk(uint16_t type, const Bytes& body) {
    return cat({le(body.size() + 6, 4), le(type, 2), body});
}
Bytes nameList(std::initializer_list<std::u16string_view> names) {
    Bytes body;
    for (auto n : names) body = cat({body, name(n)});
    return chunk(property_chunk::kNameList, body);
}
Bytes entry(size_t nameIndex, uint8_t type, const Bytes& v, uint8_t ddl = 0) {
    return cat({le(v.size() + 8, 2), {ddl, type}, le(nameIndex, 2), le(v.size(), 2), v});
}
Bytes values(uint16_t type, std::u16string_view object, const Bytes& entries = {}) {
    return chunk(type, cat({le(object.size() * 2 + 6, 4), name(object), entries}));
}
Bytes blob(const Bytes& chunks) {
    return cat({{'M', 'R', '2', 0}, chunks});
}

PropertySet parse(const Bytes& b) {
    return parsePropertyBlob(ByteView(b, kPage), 0);
}
Value decode(uint8_t type, const Bytes& b) {
    return decodePropertyValue(type, ByteView(b, kPage));
}

Bytes readData(const char* name) {
    std::ifstream in(std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / name,
                     std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(PropertyValue, DecodesByTypeCodeAndKeepsMisfitsAsBytes) {
    EXPECT_EQ(decode(1, {0x01}), Value(true));
    EXPECT_EQ(decode(1, {0xFF}), Value(true));  // as other writers store true
    EXPECT_EQ(decode(1, {0, 0, 0, 0}), Value(false));
    EXPECT_EQ(decode(1, {0, 0, 1, 0}), Value(true));
    EXPECT_EQ(decode(2, {0xFF}), Value(uint8_t{255}));
    EXPECT_EQ(decode(3, {0x6D, 0}), Value(int16_t{109}));
    EXPECT_EQ(decode(3, {0xFF, 0xFF, 0xFF, 0xFF}), Value(int16_t{-1}));  // ColumnWidth
    EXPECT_EQ(decode(3, {0, 0, 1, 0}), Value(Bytes{0, 0, 1, 0}));        // beyond Integer
    EXPECT_EQ(decode(3, {5}), Value(Bytes{5}));
    EXPECT_EQ(decode(4, {0xFE, 0xFF, 0xFF, 0xFF}), Value(int32_t{-2}));
    EXPECT_EQ(decode(5, {0x10, 0x27, 0, 0, 0, 0, 0, 0}), Value(Currency{10000}));
    EXPECT_EQ(decode(6, {0, 0, 0xC8, 0x42}), Value(100.0f));
    EXPECT_EQ(decode(7, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}), Value(1.5));
    EXPECT_EQ(decode(8, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}), Value(DateTime{1.5}));
    EXPECT_EQ(decode(7, {0, 0, 0xC8, 0x42}), Value(Bytes{0, 0, 0xC8, 0x42}));
    EXPECT_EQ(decode(10, {'0', 0}), Value(std::u16string(u"0")));
    EXPECT_EQ(decode(12, {0xFF, 0xFE, 'a', 'b'}), Value(std::u16string(u"ab")));
    EXPECT_EQ(decode(11, {1, 2}), Value(Bytes{1, 2}));
    EXPECT_EQ(decode(0x42, {1, 2}), Value(Bytes{1, 2}));

    Guid g{{0x8F, 0x09, 0x6C, 0xA0, 0xFC, 0x16, 0x42, 0x88, 0x80, 0x1E, 0x11, 0x9F, 0x26, 0xC0,
            0xB6, 0xFC}};
    EXPECT_EQ(decode(15, {0xA0, 0x6C, 0x09, 0x8F, 0x16, 0xFC, 0x88, 0x42, 0x80, 0x1E, 0x11, 0x9F,
                          0x26, 0xC0, 0xB6, 0xFC}),
              Value(g));
    Bytes dec = {0x80, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0};
    EXPECT_EQ(decode(16, dec), Value(Decimal{true, 0, 1ull << 32 | 2, 3ull << 32 | 4}));
}

TEST(Properties, SplitsObjectAndColumnBlocks) {
    PropertySet set = parse(blob(cat({
        nameList({u"Required", u"Format", u"Caption", u"Odd"}),
        values(0, u"", entry(2, 10, {'T', 0})),
        values(1, u"Kunde", cat({entry(0, 1, {1}, 1), entry(1, 10, {'@', 0})})),
        values(1, u"Ort", entry(3, 0x42, {9, 8, 7})),
        values(2, u"X"),
    })));
    EXPECT_EQ(set.names.size(), 4u);
    ASSERT_EQ(set.blocks.size(), 4u);
    ASSERT_NE(set.object(), nullptr);
    EXPECT_EQ(std::get<std::u16string>(set.object()->find(u"caption")->value), u"T");

    const PropertyBlock* kunde = set.column(u"KUNDE");
    ASSERT_NE(kunde, nullptr);
    const Property* required = kunde->find(u"REQUIRED");
    ASSERT_NE(required, nullptr);
    EXPECT_EQ(required->ddlFlag, 1);
    EXPECT_EQ(required->value, Value(true));
    EXPECT_EQ(kunde->find(u"Caption"), nullptr);
    EXPECT_EQ(set.column(u"Fehlt"), nullptr);

    const Property& odd = set.column(u"Ort")->properties.at(0);  // unknown type: kept as is
    EXPECT_EQ(odd.typeCode, 0x42);
    EXPECT_EQ(odd.raw, (Bytes{9, 8, 7}));
    EXPECT_EQ(odd.value, Value(Bytes{9, 8, 7}));
    EXPECT_EQ(set.blocks[3].chunkType, 2);  // unknown chunk type kept, but is no column
    EXPECT_EQ(set.column(u"X"), nullptr);

    EXPECT_TRUE(parse({}).blocks.empty());
    EXPECT_EQ(parse(blob(values(1, u"a"))).object(), nullptr);
}

void expectCorrupt(const Bytes& b, const char* what) {
    try {
        parse(b);
        ADD_FAILURE() << what << ": no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 3049) << what;
        EXPECT_NE(e.description().find("Seite 7"), std::string::npos) << what;
    }
}

Bytes patched(Bytes b, size_t at, uint8_t v) {
    b.at(at) = v;
    return b;
}

TEST(Properties, MalformedBlobsThrow) {
    const Bytes names = nameList({u"A"});
    const Bytes zeroChunk = {'M', 'R', '2', 0, 0, 0, 0, 0, 0, 0};
    expectCorrupt(zeroChunk, "zero-length chunk");
    expectCorrupt(patched(zeroChunk, 4, 5), "chunk shorter than its header");
    expectCorrupt(patched(blob(names), 4, 13), "chunk past the end");
    expectCorrupt(blob(cat({names, names})), "second name list");
    expectCorrupt(blob(patched(names, 6, 1)), "odd name length");
    expectCorrupt(cat({blob(names), {1, 0, 0}}), "bytes after the last chunk");
    expectCorrupt({'X', 'Y', 'Z', 0}, "unknown magic");

    expectCorrupt(blob(cat({names, values(0, u"", entry(1, 1, {1}))})), "name out of range");
    expectCorrupt(blob(values(0, u"", entry(0, 1, {1}))), "values before the name list");
    expectCorrupt(blob(cat({names, values(0, u"", Bytes(8, 0))})), "zero-length entry");
    const Bytes entryAt = blob(cat({names, values(0, u"", {})}));  // the entry starts at its end
    const Bytes twoChars = blob(cat({names, values(0, u"", entry(0, 10, {'a', 0, 'b', 0}))}));
    expectCorrupt(patched(twoChars, entryAt.size(), 11), "entry shorter than its value");
    const size_t header = blob(names).size() + 6;
    const Bytes named = blob(cat({names, values(1, u"ab")}));
    expectCorrupt(patched(named, header, 5), "block header shorter than 6");
    expectCorrupt(patched(named, header, 40), "block header past the chunk");
    try {
        parse({'K', 'K', 'D', 0});
        ADD_FAILURE() << "Jet 3 blob accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 3343);
    }
}

// Every cut or damaged version of a real blob parses or throws Error; nothing else may happen
// (run under the sanitizers to see stray reads).
TEST(Properties, DamagedRealBlobOnlyEverThrowsError) {
    const Bytes good = readData("lvprop_table1.bin");
    ASSERT_FALSE(good.empty());
    auto tryParse = [](const Bytes& b) {
        try {
            parse(b);
        } catch (const Error&) {
        }
    };
    for (size_t n = 0; n < good.size(); ++n) {
        tryParse(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)));
        for (uint8_t v : {uint8_t{0}, uint8_t{0xFF}, static_cast<uint8_t>(good[n] + 1)})
            tryParse(patched(good, n, v));
    }
}

std::u16string text(const PropertyBlock& b, std::u16string_view name) {
    return std::get<std::u16string>(b.find(name)->value);
}

// indexTestV2003.mdb, Table1, checked against what mdb-prop lists.
TEST(Properties, ReadsAccessMadeTableBlob) {
    PropertySet set = parse(readData("lvprop_table1.bin"));
    EXPECT_EQ(set.names.size(), 41u);
    ASSERT_EQ(set.blocks.size(), 6u);
    const PropertyBlock& table = *set.object();
    EXPECT_EQ(table.find(u"DefaultView")->value, Value(uint8_t{2}));
    EXPECT_EQ(table.find(u"OrderByOnLoad")->value, Value(true));
    EXPECT_EQ(table.find(u"HideNewField")->value, Value(false));  // a 4-byte Boolean
    EXPECT_EQ(table.find(u"BackTint")->value, Value(100.0f));
    EXPECT_EQ(table.find(u"ThemeFontIndex")->value, Value(int32_t{-1}));
    EXPECT_EQ(table.find(u"NameMap")->raw.size(), 370u);
    EXPECT_EQ(table.find(u"GUID")->raw.at(0), 0xA0);

    const PropertyBlock& id = *set.column(u"id");
    EXPECT_EQ(id.properties.size(), 10u);
    EXPECT_EQ(id.find(u"DecimalPlaces")->value, Value(uint8_t{255}));
    EXPECT_EQ(text(id, u"DefaultValue"), u"0");
    EXPECT_EQ(id.find(u"DefaultValue")->typeCode, 12);
    EXPECT_EQ(id.find(u"Required")->value, Value(false));
    EXPECT_EQ(id.find(u"Required")->ddlFlag, 1);
    EXPECT_EQ(id.find(u"DisplayControl")->value, Value(int16_t{109}));
    EXPECT_EQ(id.find(u"ColumnWidth")->value, Value(int16_t{-1}));
    EXPECT_EQ(id.find(u"ColumnOrder")->value, Value(int16_t{1}));

    const PropertyBlock& data = *set.column(u"DATA");
    EXPECT_EQ(data.find(u"AllowZeroLength")->value, Value(true));
    EXPECT_EQ(data.find(u"UnicodeCompression")->value, Value(true));
    EXPECT_EQ(data.find(u"IMESentenceMode")->value, Value(uint8_t{3}));
    EXPECT_EQ(data.find(u"DefaultValue"), nullptr);
    for (auto name : {u"otherfk1", u"otherfk2", u"otherfk3"}) EXPECT_NE(set.column(name), nullptr);
}

// testV2000.mdb, Table1: the Format property as text.
TEST(Properties, ReadsFormatProperties) {
    PropertySet set = parse(readData("lvprop_table1_v2000.bin"));
    EXPECT_EQ(text(*set.column(u"H"), u"Format"), u"$#,##0.00;($#,##0.00)");
    EXPECT_EQ(text(*set.column(u"I"), u"Format"), u"Yes/No");
    EXPECT_EQ(set.column(u"I")->find(u"DisplayControl")->value, Value(int16_t{106}));
    EXPECT_EQ(set.column(u"A")->find(u"GUID")->raw.size(), 16u);
}

// The data files hold what the catalog reads, and every catalog blob in the fixtures parses.
TEST(Properties, ParsesEveryCatalogBlobOfTheFixtures) {
    const std::filesystem::path dir = std::filesystem::path(SQLVANTOR_FIXTURES) / "jet4";
    if (!std::filesystem::exists(dir)) GTEST_SKIP() << "no fixtures at " << dir;
    size_t parsed = 0;
    for (const auto& file : std::filesystem::directory_iterator(dir)) {
        if (file.path().extension() != ".mdb") continue;
        PageFile pages(file.path().string(), OpenMode::ReadOnly);
        for (const CatalogEntry& e : readCatalog(pages)) {
            if (e.properties.empty()) continue;
            EXPECT_NO_THROW(parse(e.properties)) << file.path() << " " << toUtf8(e.name);
            ++parsed;
            if (e.name == u"Table1" && file.path().filename() == "indexTestV2003.mdb") {
                EXPECT_EQ(e.properties, readData("lvprop_table1.bin"));
            }
        }
    }
    EXPECT_GT(parsed, 200u);
}

}  // namespace
}  // namespace jet
