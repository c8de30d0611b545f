// What a row block holds for one cell: its value, a NULL, or an error instead of the value.
// The fetching side writes one per cell; the reader looks at them before it takes a value.
#pragma once

#include <cstdint>

namespace odbc {

enum class CellState : uint8_t { Read, Null, Failed };

}  // namespace odbc
