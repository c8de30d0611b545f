// The cache line of the processors this runs on. An object that one thread writes at every row
// and another thread reads at every row must not share a line with the other's objects: each
// write would take the line away from the reader.
#pragma once

#include <cstddef>

namespace odbc {

inline constexpr size_t kCacheLine = 64;

}  // namespace odbc
