// The value of one stored property, decoded by its Jet type code.
#pragma once

#include <cstdint>

#include "jet/base/bytes.h"
#include "jet/base/code_page_text.h"
#include "jet/base/value.h"

namespace jet {

// Access does not always store a property at its type's width: Integer properties such as
// ColumnWidth come in 4 bytes, Boolean ones in 1 or 4. So:
//   Boolean: true when any byte is non-zero.
//   Byte, Integer, Long: a little-endian integer of 1, 2, 4 or 8 bytes (at least the type's
//     width, signed unless 1 byte) that must fit the type's range.
//   Currency, Single, Double, DateTime, GUID (first three groups little-endian): exact width.
//   Decimal: the row form, sign byte and 128-bit magnitude, with scale 0 (properties carry
//     no scale).
//   Text and Memo: stored text (UCS-2 or compressed), or code-page bytes when `codec` is set.
//   Binary and OLE: the bytes.
// Anything else, an unknown type code or a size that does not fit, comes back as Bytes
// holding the bytes, so nothing is lost.
Value decodePropertyValue(uint8_t typeCode, ByteView bytes, const CodePageText* codec = nullptr);

}  // namespace jet
