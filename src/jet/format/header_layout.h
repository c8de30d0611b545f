// Page 0, the database header: where its fields lie. The masked region is XOR-masked on disk.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet {

namespace header_layout {
inline constexpr size_t kEngineName = 4;  // "Standard Jet DB"
inline constexpr size_t kVersion = 0x14;
inline constexpr size_t kMaskedStart = 0x18;  // this many bytes on are XOR-masked
inline constexpr size_t kMaskedLength = 128;
inline constexpr size_t kCodePage = 0x3C;
inline constexpr size_t kEncodingKey = 0x3E;
inline constexpr size_t kPassword = 0x42;
inline constexpr size_t kPasswordLength = 40;
inline constexpr size_t kSortOrder = 0x6E;
inline constexpr size_t kCreationDate = 0x72;
}  // namespace header_layout

}  // namespace jet
