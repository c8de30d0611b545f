#include "jet/catalog/property_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "fixture_files.h"
#include "jet/base/text.h"
#include "jet/catalog/database.h"

namespace jet {
namespace {

namespace T = property_type;

PropertySet parse(const Bytes& b, uint16_t codePage = 0) {
    return parsePropertyBlob(ByteView(b, 0), codePage);
}

// Jet 4's "MR2" blobs and Access 97's "KKD" blobs (text in the code page) alike.
TEST(PropertyWriter, EveryFixtureBlobRoundTripsByteForByte) {
    auto files = testing::allFixtures();
    const auto jet3 = testing::jet3Fixtures();
    files.insert(files.end(), jet3.begin(), jet3.end());
    if (files.empty()) GTEST_SKIP() << "no fixtures";
    size_t blobs = 0;
    for (const auto& file : files) {
        Database db(file.string(), OpenMode::ReadOnly);
        const uint16_t codePage = db.file().format().codePage;
        for (const CatalogEntry& e : db.catalog()) {
            if (e.properties.empty()) continue;
            const Bytes written = writePropertyBlob(parse(e.properties, codePage));
            EXPECT_EQ(written, e.properties) << file.filename() << " " << toUtf8(e.name);
            ++blobs;
        }
    }
    std::printf("round-tripped %zu blobs from %zu files\n", blobs, files.size());
    EXPECT_GT(blobs, 0u);
}

// What Access stores for the well-known names must agree with our table (type code), so a
// column we create looks like one Access made.
TEST(PropertyWriter, WellKnownTypesMatchWhatAccessStores) {
    const auto files = testing::allFixtures();
    if (files.empty()) GTEST_SKIP() << "no fixtures";
    for (const auto& file : files) {
        Database db(file.string(), OpenMode::ReadOnly);
        for (const CatalogEntry& e : db.catalog()) {
            if (e.properties.empty()) continue;
            for (const PropertyBlock& b : parse(e.properties).blocks)
                for (const Property& p : b.properties) {
                    auto kind = wellKnownPropertyType(p.name);
                    if (!kind) continue;
                    // Text and Memo both hold the text; some files have DefaultValue as Text.
                    const bool textual = (p.typeCode == T::kText || p.typeCode == T::kMemo) &&
                                         (kind->typeCode == T::kText || kind->typeCode == T::kMemo);
                    if (p.typeCode != kind->typeCode && !textual)
                        ADD_FAILURE() << toUtf8(p.name) << " stored as " << int(p.typeCode);
                    EXPECT_EQ(p.ddlFlag, kind->ddl ? 1 : 0) << toUtf8(p.name);
                }
        }
    }
}

TEST(PropertyWriter, BlobBuiltFromScratchParsesBack) {
    PropertySet set;
    setProperty(objectBlock(set),
                makeProperty(u"Description", Value(std::u16string(u"Kunden")), T::kMemo, false));
    PropertyBlock& id = columnBlock(set, u"id");
    setProperty(id, makeProperty(u"Required", Value(true), T::kBoolean, true));
    setProperty(id, makeProperty(u"DefaultValue", Value(std::u16string(u"0")), T::kMemo, true));
    setProperty(id, makeProperty(u"DecimalPlaces", Value(uint8_t{255}), T::kByte, false));
    setProperty(id, makeProperty(u"ColumnWidth", Value(int16_t{-1}), T::kInteger, false));
    Guid g;
    for (uint8_t i = 0; i < 16; ++i) g.bytes[i] = i;
    setProperty(objectBlock(set), makeProperty(u"GUID", Value(g), T::kGuid, true));
    setProperty(id, makeProperty(u"When", Value(DateTime{1.5}), T::kDateTime, false));
    setProperty(id, makeProperty(u"Money", Value(Currency{10000}), T::kCurrency, false));

    const Bytes blob = writePropertyBlob(set);
    const PropertySet back = parse(blob);
    ASSERT_EQ(back.blocks.size(), 2u);
    EXPECT_EQ(back.object()->find(u"description")->value, Value(std::u16string(u"Kunden")));
    const PropertyBlock* col = back.column(u"ID");
    ASSERT_NE(col, nullptr);
    EXPECT_EQ(col->find(u"Required")->raw, Bytes{0x01});
    EXPECT_EQ(col->find(u"Required")->ddlFlag, 1);
    EXPECT_EQ(col->find(u"DefaultValue")->raw, (Bytes{'0', 0}));
    EXPECT_EQ(col->find(u"DecimalPlaces")->value, Value(uint8_t{255}));
    EXPECT_EQ(col->find(u"ColumnWidth")->raw, (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(col->find(u"When")->value, Value(DateTime{1.5}));
    EXPECT_EQ(col->find(u"Money")->value, Value(Currency{10000}));
    EXPECT_EQ(back.object()->find(u"GUID")->value, Value(g));
    EXPECT_EQ(back.object()->find(u"GUID")->raw[0], 3);  // first group little-endian
    EXPECT_EQ(writePropertyBlob(back), blob);
    EXPECT_THROW(makeProperty(u"DecimalPlaces", Value(int32_t{256}), T::kByte, false), Error);
    EXPECT_THROW(makeProperty(u"Required", Value(std::u16string(u"x")), T::kBoolean, true), Error);
}

TEST(PropertyWriter, ReplacingKeepsOtherAndUnknownPropertiesByteForByte) {
    PropertySet set;
    PropertyBlock& c = columnBlock(set, u"Name");
    Property odd;
    odd.name = u"Strange";
    odd.typeCode = 0x42;  // a type this engine does not know
    odd.raw = {9, 8, 7};
    c.properties.push_back(odd);
    setProperty(c, makeProperty(u"Caption", Value(std::u16string(u"Alt")), T::kMemo, false));
    setProperty(c, makeProperty(u"Format", Value(std::u16string(u">")), T::kText, false));
    setProperty(c, makeProperty(u"CAPTION", Value(std::u16string(u"Neu")), T::kMemo, false));

    const PropertySet back = parse(writePropertyBlob(set));
    const PropertyBlock* col = back.column(u"Name");
    ASSERT_EQ(col->properties.size(), 3u);
    EXPECT_EQ(col->properties[0].raw, (Bytes{9, 8, 7}));
    EXPECT_EQ(col->properties[0].typeCode, 0x42);
    EXPECT_EQ(col->properties[1].value, Value(std::u16string(u"Neu")));
    EXPECT_EQ(col->properties[2].value, Value(std::u16string(u">")));
}

// An Access 97 blob: "KKD", names and text values as code-page bytes, other values as in Jet 4.
TEST(PropertyWriter, CodePageBlobsHoldTheirTextInTheCodePage) {
    PropertySet set;
    set.codePage = 1252;
    PropertyBlock& c = columnBlock(set, u"Straße");
    setProperty(c, makeProperty(u"Caption", Value(std::u16string(u"Größe €")), T::kMemo, false));
    setProperty(c, makeProperty(u"Required", Value(true), T::kBoolean, true));
    const Bytes blob = writePropertyBlob(set);
    EXPECT_EQ(Bytes(blob.begin(), blob.begin() + 4), (Bytes{'K', 'K', 'D', 0}));
    const Bytes caption{'G', 'r', 0xF6, 0xDF, 'e', ' ', 0x80};
    EXPECT_NE(std::search(blob.begin(), blob.end(), caption.begin(), caption.end()), blob.end());

    const PropertySet back = parse(blob, 1252);
    EXPECT_EQ(back.codePage, 1252);
    const PropertyBlock* col = back.column(u"Straße");
    ASSERT_NE(col, nullptr);
    EXPECT_EQ(col->find(u"Caption")->value, Value(std::u16string(u"Größe €")));
    EXPECT_EQ(col->find(u"Caption")->raw, caption);
    EXPECT_EQ(col->find(u"Required")->value, Value(true));
    EXPECT_EQ(writePropertyBlob(back), blob);

    setProperty(c, makeProperty(u"Caption", Value(std::u16string(u"Łódź")), T::kMemo, false));
    EXPECT_THROW(writePropertyBlob(set), Error);
}

}  // namespace
}  // namespace jet
