// Values as text, in the conventions of the CSV export.
#pragma once

#include <string>

#include "jet/base/value.h"
#include "jet/table/table_definition.h"

namespace jettool {

// Calendar date and time of a Jet date value, "YYYY-MM-DD HH:MM:SS". Exact for every value Jet
// can hold (years 100 to 9999), before 1899 included.
std::string formatDateTime(double days);

// A decimal value with its scale, e.g. "-12.50".
std::string formatDecimal(const jet::Decimal& d);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::string formatGuid(const jet::Guid& g);

// The shortest text that reads back as the same number.
std::string formatDouble(double v);
std::string formatSingle(float v);

// Upper-case hex digits, two per byte.
std::string formatHex(const jet::Bytes& bytes);

// "12.3400": currency with its four decimals.
std::string formatCurrency(const jet::Currency& c);

}  // namespace jettool
