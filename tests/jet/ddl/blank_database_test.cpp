#include "jet/ddl/blank_database.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fixture_files.h"
#include "jet/base/errors.h"
#include "jet/base/text.h"
#include "jet/catalog/database.h"
#include "jet/catalog/properties.h"
#include "jet/check/check.h"
#include "jet/dao/dao_database.h"
#include "jet/dao/dao_recordset.h"
#include "jet/dao/ddl_parser.h"
#include "jet/dao/table_creator.h"
#include "jet/page/header_writer.h"
#include "jet/table/table_definition.h"

namespace jet {
namespace {

using testing::ScratchDir;

void expectClean(const std::filesystem::path& path) {
    Database db(path.string(), OpenMode::ReadOnly);
    for (const CheckFault& f : checkDatabase(db))
        ADD_FAILURE() << "page " << f.page << ": " << f.message;
}

TEST(BlankDatabase, OpensCleanWithHeaderCatalogAndSystemTables) {
    ScratchDir dir;
    const auto path = dir.file("neu.mdb");
    const double before = jetDateNow();
    createBlankDatabase(path.string());
    expectClean(path);

    Database db(path.string(), OpenMode::ReadOnly);
    const DatabaseHeader& h = db.header();
    EXPECT_EQ(h.version, uint8_t(FormatVersion::Jet4));
    EXPECT_EQ(h.codePage, 1252);
    EXPECT_EQ(h.sortLcid, 0x0409);
    EXPECT_EQ(h.sortVersion, 0);
    EXPECT_NEAR(h.creationDate, before, 2.0 / 86400);
    EXPECT_TRUE(db.userTables().empty());

    std::vector<std::string> names;
    for (const CatalogEntry& e : db.catalog()) names.push_back(toUtf8(e.name));
    const std::vector<std::string> want = {
        "Tables",   "Databases",   "Relationships",     "MSysDb",          "MSysObjects",
        "MSysACEs", "MSysQueries", "MSysRelationships", "DataAccessPages", "Forms",
        "Modules",  "Reports",     "Scripts",           "SysRel"};
    EXPECT_EQ(names, want);
    for (const char16_t* t : {u"MSysObjects", u"MSysACEs", u"MSysQueries", u"MSysRelationships"}) {
        const CatalogEntry* e = db.findTable(t);
        ASSERT_NE(e, nullptr) << toUtf8(t);
        EXPECT_TRUE(e->isTable() && e->isSystem());
    }
    const CatalogEntry* msysDb = nullptr;
    for (const CatalogEntry& e : db.catalog())
        if (e.name == u"MSysDb") msysDb = &e;
    ASSERT_NE(msysDb, nullptr);
    PropertySet props = parsePropertyBlob(ByteView(msysDb->properties, 0), 0);
    ASSERT_NE(props.object(), nullptr);
    const Property* version = props.object()->find(u"AccessVersion");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(std::get<std::u16string>(version->value), u"08.50");
    EXPECT_EQ(msysDb->owner, (Bytes{0xA6, 0x33}));
}

TEST(BlankDatabase, RefusesAnExistingFileAndLeavesItAlone) {
    ScratchDir dir;
    const auto path = dir.file("da.mdb");
    testing::writeFile(path, {1, 2, 3});
    try {
        createBlankDatabase(path.string());
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), int32_t(ErrorCode::DatabaseExists));
        EXPECT_EQ(e.description(), "Die Datenbank '" + path.string() + "' ist bereits vorhanden.");
    }
    EXPECT_EQ(testing::readFile(path), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_THROW(createBlankDatabase(dir.file("kein/ordner.mdb").string()), Error);
    EXPECT_FALSE(std::filesystem::exists(dir.file("kein")));
}

// A new file must take tables from DDL and rows in them like an Access-made one.
TEST(BlankDatabase, TakesTablesFromDdlAndRows) {
    ScratchDir dir;
    const auto path = dir.file("neu.mdb");
    const std::u16string notiz(3000, u'x');  // a long value with a page of its own
    createBlankDatabase(path.string());
    const auto tables = parseDdl(
        "CREATE TABLE [Kunde] ([Nr] Long Integer NOT NULL, [Name] Text (40),"
        " [Notiz] Memo, CONSTRAINT [pk] PRIMARY KEY ([Nr]));"
        "CREATE INDEX [byName] ON [Kunde] ([Name] DESC) WITH IGNORE NULL;"
        "CREATE TABLE [Ort] ([Plz] Text (5), [Name] Text (60) NOT NULL)");
    {
        dao::DBEngine engine;
        auto db = engine.OpenDatabase(path.string(), true);
        for (const NewTable& t : tables) {
            createTable(*db, t);
            db->storage().reloadCatalog();
        }
        db->Close();
    }
    {
        dao::DBEngine engine;
        auto db = engine.OpenDatabase(path.string(), true);
        auto rs = db->OpenRecordset(u"Kunde");
        for (int32_t n = 1; n <= 300; ++n) {
            rs->AddNew();
            rs->Fields(u"Nr").SetValue(n);
            rs->Fields(u"Name").SetValue(u"Müller " + fromUtf8(std::to_string(n % 17)));
            rs->Fields(u"Notiz").SetValue(n % 100 == 0 ? notiz : std::u16string(u"kurz"));
            rs->Update();
        }
        rs->AddNew();
        rs->Fields(u"Nr").SetValue(int32_t{5});
        EXPECT_THROW(rs->Update(), Error) << "primary key taken";
        db->Close();
    }
    expectClean(path);
    Database db(path.string(), OpenMode::ReadOnly);
    ASSERT_EQ(db.userTables().size(), 2u);
    size_t rows = 0, longOnes = 0;
    db.openTable(u"Kunde").forEachRow([&](RowLocation, const std::vector<Value>& v) {
        ++rows;
        longOnes += std::get<std::u16string>(v.at(2)) == notiz;
    });
    EXPECT_EQ(rows, 300u);
    EXPECT_EQ(longOnes, 3u);
}

// An Access 2010 file: ACE's engine name and version, General in the header and on every text
// column (the catalog's names included), and new tables keyed General.
TEST(BlankDatabase, AceFileSortsGeneralThroughout) {
    ScratchDir dir;
    const auto path = dir.file("neu.accdb");
    createBlankAceDatabase(path.string());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(testing::readFile(path).data()) + 4, 15),
              "Standard ACE DB");
    {
        dao::DBEngine engine;
        auto db = engine.OpenDatabase(path.string(), true);
        for (const NewTable& t : parseDdl("CREATE TABLE [Ort] ([Plz] Text (5), [Name] Text (60),"
                                          " CONSTRAINT [pk] PRIMARY KEY ([Name]))")) {
            createTable(*db, t);
            db->storage().reloadCatalog();
        }
        db->Close();
    }
    {
        dao::DBEngine engine;
        auto db = engine.OpenDatabase(path.string(), true);
        auto rs = db->OpenRecordset(u"Ort");
        for (const char16_t* name : {u"Zürich", u"Äpfelstadt", u"apfeldorf", u"Œuvre", u"co-op"}) {
            rs->AddNew();
            rs->Fields(u"Name").SetValue(std::u16string(name));
            rs->Update();
        }
        db->Close();
    }
    expectClean(path);
    Database db(path.string(), OpenMode::ReadOnly);
    EXPECT_EQ(db.file().format().version, FormatVersion::Ace14);
    EXPECT_EQ(db.header().sortVersion, 1);
    for (const auto& entry : db.catalog()) {
        if (!entry.isTable()) continue;
        Table table = db.openTable(entry);
        for (const ColumnDef& c : table.definition().columns) {
            if (c.type() != ColumnType::Text && c.type() != ColumnType::Memo) continue;
            EXPECT_EQ(c.sortVersion, 1) << toUtf8(entry.name) << "." << toUtf8(c.name);
        }
    }
    EXPECT_EQ(db.openTable(u"Ort").definition().rowCount, 5u);
}

// The system tables must look to Access as its own do: same columns (number, type, flags,
// offsets, length), indexes and maps arrangement as in a file Access 2000 made.
TEST(BlankDatabase, SystemTablesAreLaidOutAsInAnAccessMadeFile) {
    REQUIRE_FIXTURE("empty.mdb");
    ScratchDir dir;
    const auto path = dir.file("neu.mdb");
    createBlankDatabase(path.string());
    Database ours(path.string(), OpenMode::ReadOnly);
    Database access(testing::fixture("empty.mdb").string(), OpenMode::ReadOnly);
    for (uint32_t page = 2; page <= 5; ++page) {
        SCOPED_TRACE(page);
        TableDefinition a = readTableDefinition(access.file(), page);
        TableDefinition b = readTableDefinition(ours.file(), page);
        EXPECT_EQ(b.tableType, a.tableType);
        EXPECT_EQ(b.maxColumns, a.maxColumns);
        EXPECT_EQ(b.varColumns, a.varColumns);
        EXPECT_EQ(b.ownedPages, a.ownedPages);
        EXPECT_EQ(b.freeSpacePages, a.freeSpacePages);
        ASSERT_EQ(b.columns.size(), a.columns.size());
        for (size_t i = 0; i < a.columns.size(); ++i) {
            const ColumnDef &x = a.columns[i], &y = b.columns[i];
            SCOPED_TRACE(toUtf8(x.name));
            EXPECT_EQ(y.name, x.name);
            EXPECT_EQ(y.typeCode, x.typeCode);
            EXPECT_EQ(y.number, x.number);
            EXPECT_EQ(y.varIndex, x.varIndex);
            EXPECT_EQ(y.flags, x.flags);
            EXPECT_EQ(y.extFlags, x.extFlags);
            EXPECT_EQ(y.length, x.length);
            if (x.isFixed()) {  // Access leaves garbage in the variable ones
                EXPECT_EQ(y.fixedOffset, x.fixedOffset);
            }
            EXPECT_EQ(y.longValueOwnedMap, x.longValueOwnedMap);
            EXPECT_EQ(y.longValueFreeMap, x.longValueFreeMap);
        }
        ASSERT_EQ(b.realIndexes.size(), a.realIndexes.size());
        for (size_t i = 0; i < a.realIndexes.size(); ++i) {
            EXPECT_EQ(b.realIndexes[i].flags, a.realIndexes[i].flags);
            EXPECT_EQ(b.realIndexes[i].rootPage, a.realIndexes[i].rootPage);
            EXPECT_EQ(b.realIndexes[i].usageMap, a.realIndexes[i].usageMap);
            ASSERT_EQ(b.realIndexes[i].columns.size(), a.realIndexes[i].columns.size());
            for (size_t k = 0; k < a.realIndexes[i].columns.size(); ++k)
                EXPECT_EQ(b.realIndexes[i].columns[k].columnNumber,
                          a.realIndexes[i].columns[k].columnNumber);
        }
        ASSERT_EQ(b.logicalIndexes.size(), a.logicalIndexes.size());
        for (size_t i = 0; i < a.logicalIndexes.size(); ++i) {
            const LogicalIndexDef &x = a.logicalIndexes[i], &y = b.logicalIndexes[i];
            EXPECT_EQ(y.name, x.name);
            EXPECT_EQ(y.number, x.number);
            EXPECT_EQ(y.realIndex, x.realIndex);
            EXPECT_EQ(y.kind, x.kind);
            EXPECT_EQ(y.updateAction, x.updateAction);
            EXPECT_EQ(y.deleteAction, x.deleteAction);
        }
    }
}

// The header region is masked; reading it back must give the values and, like Access, a
// password field that holds the bare date mask.
TEST(BlankDatabase, HeaderPageReadsBack) {
    NewHeader h;
    h.creationDate = 38143.546523784724;  // a date an Access-made fixture carries
    std::vector<uint8_t> page = encodeHeaderPage(h);
    ASSERT_EQ(page.size(), kJet4PageSize);
    DatabaseHeader r = readHeader(ByteView(page, 0), "x");
    EXPECT_EQ(r.codePage, 1252);
    EXPECT_EQ(r.encodingKey, 0u);
    EXPECT_EQ(r.creationDate, h.creationDate);
    const size_t pw = header_layout::kPassword - header_layout::kMaskedStart;
    for (size_t i = 0; i < kJet4Header.passwordLength; i += 4)
        EXPECT_EQ(ByteView({r.unmasked.data(), r.unmasked.size()}, 0).u32(pw + i), 38143u);
    if (std::filesystem::exists(testing::fixture("empty.mdb"))) {
        // Outside the creation date and the undocumented word at 0x6A, Access's header is ours.
        std::vector<uint8_t> access = testing::readFile(testing::fixture("empty.mdb"));
        access.resize(kJet4PageSize);
        DatabaseHeader a = readHeader(ByteView(access, 0), "empty.mdb");
        const size_t serial = 0x6A - header_layout::kMaskedStart;
        std::fill_n(a.unmasked.begin() + serial, 4, 0);
        std::fill_n(r.unmasked.begin() + serial, 4, 0);
        EXPECT_EQ(r.unmasked, a.unmasked);
        for (size_t i = header_layout::kMaskedStart + kJet4Header.maskedLength; i < kJet4PageSize;
             ++i)
            ASSERT_EQ(page[i], access[i]) << "offset " << i;
    }
}

}  // namespace
}  // namespace jet
