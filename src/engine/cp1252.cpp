#include "engine/cp1252.h"

#include <array>
#include <optional>

#include "jet/base/text.h"

namespace engine {

namespace {

// Bytes 0x80 to 0x9F; 0 marks the five positions the code page leaves undefined.
constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

std::optional<char> byteFor(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    for (std::size_t i = 0; i < kHighControlRange.size(); ++i) {
        if (kHighControlRange[i] != 0 && kHighControlRange[i] == c) {
            return static_cast<char>(0x80 + i);
        }
    }
    return std::nullopt;
}

bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

std::string encodeCp1252(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            ++i;
            bytes += '?';
            continue;
        }
        bytes += byteFor(text[i]).value_or('?');
    }
    return bytes;
}

std::string encodeCp1252FromUtf8(std::string_view text) {
    // fromUtf8 turns invalid sequences into U+FFFD, which the code page does not hold.
    return encodeCp1252(jet::fromUtf8(text));
}

}  // namespace engine
