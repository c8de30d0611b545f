// The stored values of calculated columns (jet/format/calculated_value_layout.h) unwrapped.
#pragma once

#include "jet/base/bytes.h"
#include "jet/base/value.h"

namespace jet {

// The result's bytes inside a stored value: a view into `stored`, valid as long as it is. A
// value shorter than the header is taken as it stands; a length beyond the value is cut to
// what there is.
ByteView unwrapCalculatedValue(const ByteView& stored);

// The Decimal of a Decimal result's bytes (unwrapped). Throws Error (DatabaseCorrupt) when
// they are shorter than their header says.
Decimal decodeCalculatedDecimal(const ByteView& result);

}  // namespace jet
