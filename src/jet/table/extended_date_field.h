// The 42 stored bytes of an extended Date/Time field (jet/format/extended_date_layout.h) to
// and from the value.
#pragma once

#include <cstdint>

#include "jet/base/bytes.h"
#include "jet/base/value.h"

namespace jet {

// Writes the field's bytes to `out`, which has room for extended_date_layout::kSize.
// REQUIRES: isExtendedDateInRange(value).
void writeExtendedDateField(const ExtendedDateTime& value, uint8_t* out);

// The value of a stored field. Throws Error (DatabaseCorrupt) when the bytes are shorter than
// the field, hold something else than digits where the numbers are, or a date out of range.
ExtendedDateTime readExtendedDateField(const ByteView& field);

}  // namespace jet
