// GUIDs as text ({00112233-4455-6677-8899-AABBCCDDEEFF}) and in Windows' memory order.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "jet/base/value.h"

namespace jet {

namespace guid_format {
inline constexpr size_t kTextLength = 36;  // 32 hex digits and 4 hyphens, without braces
inline constexpr std::u16string_view kDaoPrefix = u"{guid ";  // DAO's own form: {guid {...}}
}  // namespace guid_format

// Reads xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx (hex in any case), with or without braces, also
// in DAO's form {guid {...}}; white space around it ignored. nullopt: not a GUID.
std::optional<Guid> parseGuidText(std::u16string_view text);
// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, upper case, as StringFromGUID2 writes it.
std::u16string formatGuidText(const Guid& guid);

// Windows keeps the first three groups little-endian (33 22 11 00 55 44 77 66 88 ...); the
// same swap turns the written order into the memory order and back.
Guid swapGuidByteOrder(const Guid& guid);

}  // namespace jet
