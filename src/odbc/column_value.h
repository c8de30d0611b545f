// Turning the bytes a driver wrote for one value into a Value.
#pragma once

#include <cstddef>

#include "odbc/cell_format.h"
#include "odbc/value.h"

namespace odbc {

// Sets `slot` to the value of `kind` held in `data` (`length` bytes for variable kinds, without
// terminator). When `slot` already holds the same alternative its storage is reused, so a
// column's text or bytes allocate only when they outgrow the previous row's. Throws Error for
// bytes that hold no valid value (a zero date, a time outside a day, text that is no UTF-8);
// `slot` then holds some value of its kind.
void assignValue(Value& slot, ValueKind kind, const unsigned char* data, size_t length);

}  // namespace odbc
