// Values the driver tests write as SQL literals and expect back.
#pragma once

#include <cstddef>
#include <string>

#include "odbc/value.h"

namespace odbc_test {

// A text of at least `minimum` characters with umlauts, ß and €, as UTF-8 (for SQL) and
// UTF-16 (as expected back).
struct LongText {
    std::string utf8;
    std::u16string utf16;
};
LongText longText(size_t minimum);

// `size` bytes running through every byte value.
odbc::Bytes everyByte(size_t size);

// The bytes as lower-case hex digits, for X'…' and '\x…' literals.
std::string hex(const odbc::Bytes& bytes);

}  // namespace odbc_test
