// A server value handed to an Access field without a jet::Value between them ends exactly as
// through one: the same stored value or the same error, for every field type a target has.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "engine/value_transfer.h"
#include "jet/base/errors.h"
#include "jet/base/text.h"
#include "jet/dao/dao_database.h"
#include "jet/dao/ddl_parser.h"
#include "jet/dao/table_creator.h"
#include "jet/ddl/blank_database.h"
#include "temp_folder.h"

namespace engine_test {
namespace {

constexpr const char* kSchema =
    "CREATE TABLE [Ziel] ([JaNein] YesNo, [Byte] Byte, [Ganz] Integer, [Lang] Long Integer, "
    "[Geld] Currency, [Einfach] Single, [Doppelt] Double, [Datum] DateTime, [Kurz] Text (4), "
    "[Memo] Memo, [Dezimal] Numeric (5, 2), [Binaer] Binary (16), [Guid] Replication ID, "
    "[Zaehler] COUNTER);";

struct Outcome {
    std::optional<jet::Value> stored;
    int32_t error = 0;
};

template <typename Assign>
Outcome outcomeOf(jet::dao::RecordsetField& field, Assign&& assign) {
    try {
        assign();
        return {field.GetValue(), 0};
    } catch (const jet::Error& e) {
        return {std::nullopt, e.number()};
    }
}

TEST(ValueHandOver, NumbersAndDatesEndInTheFieldAsThroughAValue) {
    TempFolder folder;
    const std::string path = (folder.path() / "ziel.mdb").string();
    jet::createBlankDatabase(path);
    jet::dao::DBEngine dbEngine;
    auto db = dbEngine.OpenDatabase(path, true);
    jet::createTable(*db, jet::parseDdl(kSchema).at(0));
    db->storage().reloadCatalog();
    db = nullptr;
    db = dbEngine.OpenDatabase(path, true);
    auto direct = db->OpenRecordset(u"Ziel");
    auto general = db->OpenRecordset(u"Ziel");
    direct->AddNew();
    general->AddNew();

    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const std::vector<odbc::Value> values = {
        odbc::Null{},
        true,
        false,
        int8_t{-128},
        int8_t{1},
        uint8_t{255},
        int16_t{-300},
        int16_t{0},
        int32_t{70000},
        int32_t{-1},
        1.5f,
        std::numeric_limits<float>::infinity(),
        0.1,
        -12345.675,
        1e300,
        kNaN,
        odbc::Date{2024, 2, 29},
        odbc::Date{99, 12, 31},
        odbc::Time{18, 30, 15, 500000000},
        odbc::Timestamp{1899, 12, 29, 6, 0, 0, 0},
        odbc::Timestamp{9999, 12, 31, 23, 59, 59, 999999999},
        odbc::Decimal{"-12345.67"},
        odbc::Decimal{"99999999999999.9999"},
        odbc::Decimal{"1.23456"},
        odbc::Decimal{"0"},
        odbc::Decimal{"-0.0001"},
    };
    const std::vector<std::u16string> fields = {
        u"JaNein", u"Byte", u"Ganz", u"Lang",    u"Geld",   u"Einfach", u"Doppelt",
        u"Datum",  u"Kurz", u"Memo", u"Dezimal", u"Binaer", u"Guid",    u"Zaehler"};
    for (const std::u16string& name : fields) {
        for (size_t i = 0; i < values.size(); ++i) {
            SCOPED_TRACE(jet::toUtf8(name) + " <- " + std::to_string(i));
            jet::dao::RecordsetField& d = direct->Fields(name);
            jet::dao::RecordsetField& g = general->Fields(name);
            bool handled = false;
            const Outcome viaScalar =
                outcomeOf(d, [&] { handled = engine::setFieldDirectly(values[i], d); });
            const Outcome viaValue = outcomeOf(g, [&] {
                jet::Value value;
                engine::assignAccessValue(values[i], value);
                g.SetValue(value);
            });
            EXPECT_TRUE(handled || viaScalar.error != 0);
            EXPECT_EQ(viaScalar.error, viaValue.error);
            EXPECT_EQ(viaScalar.stored, viaValue.stored);
        }
    }
    // Every other kind is left to the general path, with the field untouched.
    direct->Fields(u"Kurz").SetValue(jet::Value(u"alt"));
    for (const odbc::Value& other :
         {odbc::Value(int64_t{5}), odbc::Value(uint64_t{5}),
          odbc::Value(odbc::Decimal{"1,5 \xE2\x82\xAC"}),  // not ASCII: read as UTF-8
          odbc::Value(std::u16string(u"Text")), odbc::Value(odbc::Bytes{1, 2}),
          odbc::Value(odbc::Guid{})}) {
        EXPECT_FALSE(engine::setFieldDirectly(other, direct->Fields(u"Kurz")));
        EXPECT_EQ(direct->Fields(u"Kurz").GetValue(), jet::Value(u"alt"));
    }
}

}  // namespace
}  // namespace engine_test
