// The recordset that takes new rows, and the database operations around it: AddNew with
// defaults, AutoNumber, Required, unique indexes, DELETE FROM, Idle and Close.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <thread>

#include "error_of.h"
#include "fixture_files.h"
#include "jet/base/text.h"
#include "jet/check/check.h"
#include "jet/dao/dao_database.h"
#include "jet/page/journal.h"

namespace jet {
namespace {

using dao::DBEngine;

using testing::errorOf;

std::vector<std::vector<Value>> rowsOf(const std::filesystem::path& path,
                                       std::u16string_view table) {
    Database db(path.string(), OpenMode::ReadOnly);
    std::vector<std::vector<Value>> rows;
    db.openTable(table).forEachRow(
        [&](RowLocation, const std::vector<Value>& v) { rows.push_back(v); });
    EXPECT_TRUE(checkDatabase(db).empty()) << path;
    return rows;
}

TEST(Recordset, AutoNumberDefaultsAndFieldLookup) {
    REQUIRE_FIXTURE("testUnicodeCompV2003.mdb");
    testing::ScratchDir dir;
    auto path = dir.copy(testing::fixture("testUnicodeCompV2003.mdb"));
    {
        DBEngine engine;
        auto db = engine.OpenDatabase(path.string(), true);
        auto rs = db->OpenRecordset(u"TABLE");
        rs->AddNew();
        EXPECT_EQ(errorOf([&] { rs->Fields(u"id").SetValue(int32_t{5}); }),
                  int(ErrorCode::FieldNotUpdatable));
        EXPECT_EQ(errorOf([&] { rs->Fields(u"Kein Feld"); }), int(ErrorCode::ItemNotFound));
        rs->Fields(u"unicode").SetValue(std::u16string(u"Grüße"));
        rs->Update();
        rs->AddNew();
        rs->Update();  // every field may stay empty
        rs->Close();
        db->Close();
    }
    auto rows = rowsOf(path, u"Table");
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[8][0], Value(int32_t{9}));  // the counter went on from Access's last number
    EXPECT_EQ(rows[8][1], Value(std::u16string(u"Grüße")));
    EXPECT_EQ(rows[9][0], Value(int32_t{10}));
    EXPECT_TRUE(isNull(rows[9][1]));
}

TEST(Recordset, RequiredFieldsAndUniqueIndexesRefuseTheRow) {
    REQUIRE_FIXTURE("fixedTextTestV2003.mdb");
    testing::ScratchDir dir;
    auto path = dir.copy(testing::fixture("fixedTextTestV2003.mdb"));
    {
        DBEngine engine;
        auto db = engine.OpenDatabase(path.string(), true);
        auto rs = db->OpenRecordset(u"users");
        auto fill = [&](int32_t id) {
            rs->AddNew();
            rs->Fields(u"i_user_id").SetValue(id);
            for (auto name : {u"c_user_login", u"c_user_pwd", u"c_user_session", u"c_user_name"})
                rs->Fields(name).SetValue(std::u16string(u"x"));
            for (auto name : {u"i_user_flags", u"i_user_type", u"i_user_merch"})
                rs->Fields(name).SetValue(int32_t{0});
            rs->Fields(u"c_flag_").SetValue(std::u16string(u"N"));
            rs->Fields(u"d_stamp_").SetValue(std::u16string(u"2026-12-08 10:00:00"));
        };
        fill(3);
        rs->Fields(u"c_user_name").SetValue(Null{});
        EXPECT_EQ(errorOf([&] { rs->Update(); }), int(ErrorCode::RequiredFieldNull));
        fill(1);  // the primary key holds 1 already
        EXPECT_EQ(errorOf([&] { rs->Update(); }), int(ErrorCode::DuplicateKey));
        EXPECT_EQ(errorOf([&] { rs->Fields(u"c_flag_").SetValue(std::u16string(u"NN")); }),
                  int(ErrorCode::FieldTooSmall));
        fill(3);
        rs->Update();
        db->Close();
    }
    EXPECT_EQ(rowsOf(path, u"users").size(), 3u);
}

TEST(Recordset, TextThroughAViewActsAsATextValue) {
    REQUIRE_FIXTURE("fixedTextTestV2003.mdb");
    testing::ScratchDir dir;
    auto path = dir.copy(testing::fixture("fixedTextTestV2003.mdb"));
    DBEngine engine;
    auto db = engine.OpenDatabase(path.string(), true);
    auto rs = db->OpenRecordset(u"users");
    rs->AddNew();
    // Text, number and date fields, values that fit, that do not, and that are no number.
    for (auto name : {u"c_flag_", u"c_user_name", u"i_user_flags", u"d_stamp_"}) {
        for (std::u16string text :
             {u"N", u"NN", u"", u"12", u"-7,5", u"abc", u"2026-12-08 10:00:00", u" 3 "}) {
            auto& field = rs->Fields(name);
            field.SetValue(Null{});
            const int viaValue = errorOf([&] { field.SetValue(text); });
            const Value expected = field.GetValue();
            field.SetValue(Null{});
            EXPECT_EQ(errorOf([&] { field.SetText(text); }), viaValue) << toUtf8(text);
            EXPECT_EQ(field.GetValue(), expected) << toUtf8(text);
        }
    }
}

TEST(Database, DeleteFromEmptiesTablesAndRefusesOtherStatements) {
    REQUIRE_FIXTURE("indexTestV2003.mdb");
    testing::ScratchDir dir;
    auto path = dir.copy(testing::fixture("indexTestV2003.mdb"));
    {
        DBEngine engine;
        auto db = engine.OpenDatabase(path.string(), true);
        db->Execute(u"DELETE FROM table1");
        db->Execute(u"delete * from [Table2];");
        EXPECT_EQ(errorOf([&] { db->Execute(u"DROP TABLE Table3"); }),
                  int(ErrorCode::NotSupported));
        EXPECT_EQ(errorOf([&] { db->Execute(u"DELETE FROM Table3 WHERE id = 1"); }),
                  int(ErrorCode::NotSupported));
        EXPECT_EQ(errorOf([&] { db->Execute(u"DELETE FROM Kunden"); }),
                  int(ErrorCode::ObjectNotFound));
        db->Close();
    }
    EXPECT_TRUE(rowsOf(path, u"Table1").empty());
    EXPECT_TRUE(rowsOf(path, u"Table2").empty());
    EXPECT_FALSE(rowsOf(path, u"Table3").empty());
}

TEST(Database, RefreshCacheLeavesACompleteFileWhileStillOpen) {
    REQUIRE_FIXTURE("indexTestV2003.mdb");
    testing::ScratchDir dir;
    auto path = dir.copy(testing::fixture("indexTestV2003.mdb"));
    DBEngine engine;
    auto db = engine.OpenDatabase(path.string(), true);
    db->Execute(u"DELETE FROM Table3");
    auto rs = db->OpenRecordset(u"Table3");
    for (int32_t i = 0; i < 250; ++i) {
        rs->AddNew();
        rs->Fields(u"id").SetValue(i);
        rs->Fields(u"data").SetValue(std::u16string(u"Zeile ") + fromUtf8(std::to_string(i)));
        rs->Update();
        if (i % 100 == 99) {
            std::this_thread::sleep_for(dao::Database::kRefreshInterval);
            engine.Idle(dao::dbRefreshCache);
        } else if (i % 10 == 9) {
            engine.Idle();
        }
    }
    // The writer holds the file; a copy shows what is on disk.
    auto snapshot = dir.file("snapshot.mdb");
    std::filesystem::copy_file(path, snapshot);
    EXPECT_EQ(rowsOf(snapshot, u"Table3").size(), 200u);
    EXPECT_EQ(errorOf([&] {
                  DBEngine other;
                  other.OpenDatabase(path.string(), true);
              }),
              int(ErrorCode::FileInUse));
    db->Close();
    EXPECT_EQ(rowsOf(path, u"Table3").size(), 250u);
}

// A refresh soon after the last write waits for a later one, unless many pages are pending;
// flush() writes at once. The file on disk is complete at each step.
TEST(Database, RefreshCacheWritesWhenDueAndFlushAtOnce) {
    REQUIRE_FIXTURE("indexTestV2003.mdb");
    testing::ScratchDir dir;
    auto path = dir.copy(testing::fixture("indexTestV2003.mdb"));
    auto onDisk = [&] {
        auto snapshot = dir.file("snapshot.mdb");
        std::filesystem::remove(snapshot);
        std::filesystem::copy_file(path, snapshot);
        return rowsOf(snapshot, u"Table3").size();
    };
    DBEngine engine;
    auto db = engine.OpenDatabase(path.string(), true);
    db->Execute(u"DELETE FROM Table3");
    db->flush();
    auto rs = db->OpenRecordset(u"Table3");
    int32_t added = 0;
    auto addRow = [&] {
        rs->AddNew();
        rs->Fields(u"id").SetValue(added++);
        rs->Fields(u"data").SetValue(std::u16string(50, u'x'));
        rs->Update();
    };
    for (int i = 0; i < 10; ++i) addRow();
    engine.Idle(dao::dbRefreshCache);
    EXPECT_EQ(onDisk(), 0u);
    db->flush();
    EXPECT_EQ(onDisk(), 10u);
    // More pages waiting than may wait: written without waiting.
    while (db->storage().file().dirtyPageCount() < dao::Database::kRefreshPages) addRow();
    engine.Idle(dao::dbRefreshCache);
    EXPECT_EQ(onDisk(), size_t(added));
    for (int i = 0; i < 5; ++i) addRow();
    std::this_thread::sleep_for(dao::Database::kRefreshInterval);
    engine.Idle(dao::dbRefreshCache);
    EXPECT_EQ(onDisk(), size_t(added));
    db->Close();
}

// The counts of every table used so far are written at each flush; when none changed, the
// flush journals and writes nothing, so a long run does not rewrite earlier tables' pages.
TEST(Database, RefreshCacheWithNothingNewWritesNothing) {
    REQUIRE_FIXTURE("indexTestV2003.mdb");
    testing::ScratchDir dir;
    auto path = dir.copy(testing::fixture("indexTestV2003.mdb"));
    auto journalBytes = [&] {
        std::ifstream in(Journal::pathFor(path.string()), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    DBEngine engine;
    auto db = engine.OpenDatabase(path.string(), true);
    db->Execute(u"DELETE FROM Table3");
    auto rs = db->OpenRecordset(u"Table3");
    for (int32_t i = 0; i < 5; ++i) {
        rs->AddNew();
        rs->Fields(u"id").SetValue(i);
        rs->Update();
    }
    std::this_thread::sleep_for(dao::Database::kRefreshInterval);
    engine.Idle(dao::dbRefreshCache);
    const std::string afterRows = journalBytes();
    ASSERT_FALSE(afterRows.empty());
    engine.Idle(dao::dbRefreshCache);
    EXPECT_EQ(journalBytes(), afterRows);
    db->Close();
    EXPECT_EQ(rowsOf(path, u"Table3").size(), 5u);
}

}  // namespace
}  // namespace jet
