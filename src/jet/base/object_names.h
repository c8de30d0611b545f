// The names Access accepts for tables (and other catalog objects).
#pragma once

#include <string_view>

namespace jet {

inline constexpr size_t kMaxObjectNameLength = 64;

// Throws InvalidArgument for a name Access refuses: empty, longer than 64 characters, starting
// with a blank, or holding a control character, '.', '!', '`', '[' or ']'.
void checkObjectName(std::u16string_view name);

}  // namespace jet
