// The benchmark's rows: 10 columns (Long, two Text(50) with umlauts, Double, Currency, Integer,
// Boolean, Date/Time, a nullable Long, a nullable Text(200)), the same rule for every source
// and for the writer, so the cases compare like with like.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "jet/base/value.h"

namespace bench {

inline constexpr const char16_t* kTableName = u"Bench";
inline constexpr std::array<const char16_t*, 10> kColumnNames = {
    u"ID", u"Name", u"Ort", u"Betrag", u"Preis", u"Menge", u"Aktiv", u"Datum", u"Bonus", u"Notiz"};

// Row `i` (from 1), as the Access fields take it.
std::array<jet::Value, 10> benchRow(int64_t i);

// The DDL of the target table for one of the cases: "none", "pk", "pk_text".
std::string benchSchema(const std::string& indexCase);

}  // namespace bench
