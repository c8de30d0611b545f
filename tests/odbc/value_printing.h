// Readable gtest output for odbc::Value and its parts.
#pragma once

#include <ostream>

#include "odbc/value.h"

namespace odbc {

void PrintTo(const Null&, std::ostream* out);
void PrintTo(const Decimal& value, std::ostream* out);
void PrintTo(const Date& value, std::ostream* out);
void PrintTo(const Time& value, std::ostream* out);
void PrintTo(const Timestamp& value, std::ostream* out);
void PrintTo(const Guid& value, std::ostream* out);

}  // namespace odbc
