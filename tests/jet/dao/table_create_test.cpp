// New tables: the layout Access gives them, and tables appended through the DAO face (fields,
// their settable properties, catalog and permission rows, rows taken in afterwards).
#include <gtest/gtest.h>

#include <set>

#include "error_of.h"
#include "fixture_files.h"
#include "jet/catalog/system_table_row.h"
#include "jet/check/check.h"
#include "jet/dao/dao_database.h"
#include "jet/dao/table_creator.h"

namespace jet {
namespace {

using namespace dao;

using testing::errorOf;

NewColumn column(std::u16string name, ColumnType type, uint16_t length = 0) {
    NewColumn c;
    c.name = std::move(name);
    c.type = type;
    c.length = length;
    return c;
}

TEST(TableLayout, ColumnsAndIndexesAsAccessLaysThemOut) {
    NewTable t{u"Tabelle", {}, {}, {}};
    t.columns = {column(u"id", ColumnType::Long), column(u"name", ColumnType::Text, 100),
                 column(u"flag", ColumnType::Boolean), column(u"amount", ColumnType::Currency),
                 column(u"note", ColumnType::Memo)};
    t.indexes = {{u"PrimaryKey", {{u"id", true}}, true, false, false, false},
                 {u"byName", {{u"name", true}, {u"id", false}}, false, true, true, false},
                 {u"Zkey", {{u"ID", true}}, false, true, false, true},  // same as the primary key
                 {u"id", {{u"id", true}}, false, false, false, false}};
    TableDefinition d = layoutTable(t, kJet4Format, SortOrder{0x0409, 0});
    ASSERT_EQ(d.columns.size(), 5u);
    EXPECT_EQ(d.maxColumns, 5);
    EXPECT_EQ(d.varColumns, 2);
    // Fixed columns packed in order, the Boolean taking no room; variable slots counted.
    EXPECT_EQ(d.columns[0].fixedOffset, 0);
    EXPECT_EQ(d.columns[3].fixedOffset, 4);
    EXPECT_EQ(d.columns[2].fixedOffset, 0);
    EXPECT_EQ(d.columns[1].varIndex, 0);
    EXPECT_EQ(d.columns[3].varIndex, 1);
    EXPECT_EQ(d.columns[4].varIndex, 1);
    EXPECT_EQ(d.columns[0].flags, column_flag::kFixed | column_flag::kUpdatable);
    EXPECT_EQ(d.columns[1].flags, column_flag::kUpdatable);
    EXPECT_EQ(d.columns[1].sortLcid, 0x0409);
    // PrimaryKey and Zkey (unique, required, same column) share one real index.
    ASSERT_EQ(d.realIndexes.size(), 3u);
    EXPECT_EQ(d.realIndexes[0].flags, 0x89);
    EXPECT_EQ(d.realIndexes[1].flags, 0x83);
    EXPECT_FALSE(d.realIndexes[1].columns[1].ascending);
    EXPECT_EQ(d.realIndexes[2].flags, 0x80);
    std::vector<std::u16string> names;
    for (const auto& l : d.logicalIndexes) names.push_back(l.name);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"byName", u"id", u"PrimaryKey", u"Zkey"}));
    EXPECT_EQ(d.logicalIndexes[2].kind, uint8_t(LogicalIndexKind::PrimaryKey));
    EXPECT_EQ(d.logicalIndexes[3].realIndex, 0u);
    EXPECT_EQ(d.logicalIndexes[3].number, 2u);

    NewTable bad = t;
    bad.indexes.push_back({u"x", {{u"missing", true}}, false, false, false, false});
    EXPECT_EQ(errorOf([&] { layoutTable(bad, kJet4Format); }), int(ErrorCode::InvalidArgument));
    bad = t;
    bad.columns.push_back(column(u"NAME", ColumnType::Long));
    EXPECT_EQ(errorOf([&] { layoutTable(bad, kJet4Format); }), int(ErrorCode::DuplicateFieldName));
    const NewTable empty{u"leer", {}, {}, {}};
    EXPECT_EQ(errorOf([&] { layoutTable(empty, kJet4Format); }), int(ErrorCode::InvalidArgument));
}

// Access 97: every column names code page and General, text counts characters, indexes lack
// Jet 4's 0x80; a Decimal column and a name outside the code page are refused.
TEST(TableLayout, Access97ColumnsAndRefusals) {
    Format access97 = kJet3Format;
    access97.codePage = 1252;
    NewTable t{u"Tabelle", {}, {}, {}};
    t.columns = {column(u"id", ColumnType::Long), column(u"Straße", ColumnType::Text, 80)};
    t.indexes = {{u"PrimaryKey", {{u"id", true}}, true, false, false, false}};
    TableDefinition d = layoutTable(t, access97, SortOrder{0x0409, 0});
    EXPECT_EQ(d.columns[1].length, 40);
    for (const ColumnDef& c : d.columns) {
        EXPECT_EQ(c.codePage, 1252);
        EXPECT_EQ(c.sortLcid, 0x0409);
        EXPECT_EQ(c.extFlags, 0);
    }
    EXPECT_EQ(d.realIndexes[0].flags, 0x09);

    NewTable decimal = t;
    decimal.columns.push_back(column(u"betrag", ColumnType::Decimal));
    EXPECT_EQ(errorOf([&] { layoutTable(decimal, access97); }), int(ErrorCode::InvalidArgument));
    NewTable polish = t;
    polish.columns.push_back(column(u"Łódź", ColumnType::Long));
    EXPECT_EQ(errorOf([&] { layoutTable(polish, access97); }), int(ErrorCode::InvalidArgument));
    EXPECT_NO_THROW(layoutTable(decimal, kJet4Format));
}

TEST(NewField, SizesAndRefusedSettingsLeaveTheFieldUsable) {
    TableDef def(u"T");
    EXPECT_EQ(def.CreateField(u"t", data_type::dbText, 0).Size(), 50);
    EXPECT_EQ(def.CreateField(u"l", data_type::dbLong, 99).Size(), 4);
    EXPECT_EQ(def.CreateField(u"m", data_type::dbMemo, 0).Size(), 0);
    EXPECT_EQ(errorOf([&] { def.CreateField(u"t", data_type::dbText, 256); }),
              int(ErrorCode::InvalidArgument));
    EXPECT_EQ(errorOf([&] { def.CreateField(u"x", 13, 0); }), int(ErrorCode::InvalidArgument));

    Field number = def.CreateField(u"n", data_type::dbLong, 0);
    EXPECT_NE(errorOf([&] { number.SetAllowZeroLength(true); }), 0);
    EXPECT_NE(errorOf([&] { number.SetAttributes(field_attribute::dbSystemField); }), 0);
    EXPECT_EQ(number.Attributes(),
              field_attribute::dbFixedField | field_attribute::dbUpdatableField);
    number.SetAttributes(field_attribute::dbFixedField | field_attribute::dbAutoIncrField |
                         field_attribute::dbUpdatableField);
    EXPECT_TRUE(number.Attributes() & field_attribute::dbAutoIncrField);
    number.SetDefaultValue(std::u16string(u"7"));
    number.SetRequired(true);
    EXPECT_EQ(number.DefaultValue(), Value(std::u16string(u"7")));
    EXPECT_TRUE(number.Required());

    Field text = def.CreateField(u"t", data_type::dbText, 20);
    EXPECT_NE(errorOf([&] { text.SetAttributes(field_attribute::dbAutoIncrField); }), 0);
    text.SetAllowZeroLength(true);
    EXPECT_TRUE(text.AllowZeroLength());
    def.GetFields().Append(text);
    EXPECT_EQ(errorOf([&] { def.GetFields().Append(def.CreateField(u"T", data_type::dbLong, 0)); }),
              int(ErrorCode::DuplicateFieldName));
}

// Permission rows of a table, without the object id.
std::multiset<std::pair<Bytes, int32_t>> permissionsOf(jet::Database& db, int32_t id) {
    std::multiset<std::pair<Bytes, int32_t>> out;
    Table aces = db.openTable(u"MSysACEs");
    const auto& t = aces.definition();
    int objectId = columnNumberOf(t, u"ObjectId"), sid = columnNumberOf(t, u"SID"),
        acm = columnNumberOf(t, u"ACM"), inheritable = columnNumberOf(t, u"FInheritable");
    aces.forEachRow([&](RowLocation, const std::vector<Value>& v) {
        if (valueOr<int32_t>(v, objectId, 0) != id) return;
        EXPECT_FALSE(valueOr<bool>(v, inheritable, true));
        out.insert({valueOr<Bytes>(v, sid, {}), valueOr<int32_t>(v, acm, 0)});
    });
    return out;
}

TEST(AppendedTable, IsStoredLikeAnAccessTableAndTakesRows) {
    REQUIRE_FIXTURE("indexTestV2003.mdb");
    testing::ScratchDir dir;
    auto path = dir.copy(testing::fixture("indexTestV2003.mdb"));
    {
        DBEngine engine;
        auto db = engine.OpenDatabase(path.string(), true);
        auto def = db->CreateTableDef(u"Neu");
        EXPECT_EQ(errorOf([&] { db->GetTableDefs().Append(*def); }),
                  int(ErrorCode::InvalidArgument));  // no fields yet
        Field id = def->CreateField(u"id", data_type::dbLong, 0);
        id.SetAttributes(field_attribute::dbAutoIncrField);
        def->GetFields().Append(id);
        Field text = def->CreateField(u"text", data_type::dbText, 10);
        text.SetRequired(true);
        def->GetFields().Append(text);
        def->GetFields().Append(def->CreateField(u"memo", data_type::dbMemo, 0));
        TableDefs tables = db->GetTableDefs();
        tables.Append(*def);
        EXPECT_TRUE(def->isStored());
        EXPECT_EQ(def->GetFields().Count(), 3);
        EXPECT_TRUE(tables.find(u"NEU"));
        auto again = db->CreateTableDef(u"neu");
        again->GetFields().Append(again->CreateField(u"x", data_type::dbLong, 0));
        EXPECT_EQ(errorOf([&] { db->GetTableDefs().Append(*again); }), int(ErrorCode::TableExists));

        auto rs = db->OpenRecordset(u"Neu");
        for (int i = 0; i < 300; ++i) {
            rs->AddNew();
            rs->Fields(u"text").SetValue(std::u16string(u"Zeile"));
            rs->Fields(u"memo").SetValue(std::u16string(5000, u'm'));
            rs->Update();
        }
        rs->Close();
        db->Close();
    }
    jet::Database db(path.string(), OpenMode::ReadOnly);
    EXPECT_TRUE(checkDatabase(db).empty());
    const CatalogEntry* made = db.findTable(u"Neu");
    const CatalogEntry* access = db.findTable(u"Table2");
    ASSERT_TRUE(made && access);
    EXPECT_EQ(made->owner, access->owner);
    EXPECT_EQ(made->flags, 0u);
    EXPECT_EQ(permissionsOf(db, made->id), permissionsOf(db, access->id));
    PropertySet props = parsePropertyBlob(ByteView(made->properties, 0), 0);
    ASSERT_TRUE(props.column(u"text"));
    EXPECT_EQ(props.column(u"text")->find(u"Required")->value, Value(true));
    size_t rows = 0;
    db.openTable(u"Neu").forEachRow([&](RowLocation, const std::vector<Value>& v) {
        EXPECT_EQ(v[0], Value(int32_t(++rows)));
        EXPECT_EQ(v[2], Value(std::u16string(5000, u'm')));
    });
    EXPECT_EQ(rows, 300u);
}

}  // namespace
}  // namespace jet
