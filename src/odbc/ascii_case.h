// Comparing names as ODBC sources spell them: ASCII letters without regard to case, every
// other byte (umlauts in UTF-8 included) exactly.
#pragma once

#include <algorithm>
#include <string_view>

namespace odbc {

inline bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace odbc
