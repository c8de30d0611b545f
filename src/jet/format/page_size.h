// The page size and the file-size limit of the Jet 4 format, the one this engine writes.
#pragma once

#include <cstdint>

namespace jet {

inline constexpr uint32_t kPageSize = 4096;
// Jet's limit on the size of a file: 2 GiB.
inline constexpr uint32_t kMaxPages = 0x80000000u / kPageSize;

}  // namespace jet
