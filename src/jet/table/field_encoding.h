// One field's stored bytes: a value of a column's type -> the bytes Jet keeps for it, the
// inverse of decodeField for every type but Yes/No (held in the null mask) and the long
// values (Memo, OLE; see long_value_writer.h).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "jet/base/value.h"
#include "jet/table/table_definition.h"

namespace jet {

namespace field_layout {
inline constexpr size_t kGuidSize = 16;
inline constexpr size_t kDecimalSize = 17;
inline constexpr uint8_t kDecimalNegative = 0x80;
// The stored order of a GUID's bytes: the first three groups little-endian. The order is its
// own inverse, so it serves for reading and writing alike.
inline constexpr uint8_t kGuidOrder[kGuidSize] = {3, 2, 1,  0,  5,  4,  7,  6,
                                                  8, 9, 10, 11, 12, 13, 14, 15};
}  // namespace field_layout

// Appends the stored bytes of `value` in `column` to `out`. Values of another alternative
// than the column's own are converted as Jet converts them (index_value_conversion.h); text
// must be text and binary data bytes. Unknown column types take raw bytes.
// REQUIRES: `value` is not NULL; the column is neither Yes/No nor a long value.
// Throws Error: ConversionFailed, FieldTooSmall (text or binary longer than the column),
// NumericOverflow (a decimal beyond the column's precision).
void appendFieldBytes(const ColumnDef& column, const Value& value, std::vector<uint8_t>& out);

// The same for the fixed-size number and date types (Byte, Integer, Long, BigInt, Currency,
// Single, Double, Date/Time, extended Date/Time), written at `out` with `room` bytes free: returns
// the bytes written, or 0 for another type or too little room, which appendFieldBytes then handles.
// Spares a row encoder the copy through a buffer.
size_t writeFixedFieldBytes(const ColumnDef& column, const Value& value, uint8_t* out, size_t room);

// The text of a Text column's value, checked as appendFieldBytes checks it.
std::u16string_view fieldText(const ColumnDef& column, const Value& value);

// Raised for a value of a kind the column cannot hold.
[[noreturn]] void throwWrongKind(const ColumnDef& column);
// Raised for text or data longer than the column allows.
[[noreturn]] void throwTooLong(const ColumnDef& column, size_t length, size_t limit);

}  // namespace jet
