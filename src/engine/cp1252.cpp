#include "engine/cp1252.h"

#include <optional>

#include "jet/base/code_page_text.h"
#include "jet/base/text.h"

namespace engine {

namespace {

// The C1 control characters are no text for the log: the five the code page leaves undefined
// would otherwise go out as their own bytes.
std::optional<char> byteFor(char16_t c) {
    if (c >= 0x80 && c <= 0x9F) return std::nullopt;
    if (std::optional<uint8_t> byte = jet::codePageText(1252).encode(c))
        return static_cast<char>(*byte);
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
