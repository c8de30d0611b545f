// Values for index keys in the form the row decoder produces for a column's type. A caller may
// hand in another alternative of Value (an int32_t for an Integer column, a double for a
// Currency column); these functions convert it as Jet would: fractions round half to even,
// decimals rescale to the column's scale. A value that does not fit, or one of an unrelated
// kind (text for a number, a number for a GUID), throws Error.
#pragma once

#include <cstdint>
#include <string>

#include "jet/base/value.h"
#include "jet/table/table_definition.h"

namespace jet {

// NULL counts as false: a Yes/No field has no NULL.
bool booleanValue(const ColumnDef& column, const Value& value);
// A whole number in [min, max].
int64_t integerValue(const ColumnDef& column, const Value& value, int64_t min, int64_t max);
Currency currencyValue(const ColumnDef& column, const Value& value);
float singleValue(const ColumnDef& column, const Value& value);
double doubleValue(const ColumnDef& column, const Value& value);
// An extended date in the field's range; a Jet date (or a number of days) to the microsecond.
ExtendedDateTime extendedDateValue(const ColumnDef& column, const Value& value);
// A decimal at the column's scale, its magnitude within 128 bits.
Decimal decimalValue(const ColumnDef& column, const Value& value);
Guid guidValue(const ColumnDef& column, const Value& value);
Bytes binaryValue(const ColumnDef& column, const Value& value);
std::u16string textValue(const ColumnDef& column, const Value& value);

}  // namespace jet
