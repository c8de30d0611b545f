#include "jet/text_compression.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace jet {

using namespace text_compression_layout;

bool storesCompressed(const ColumnDef& column, std::u16string_view text) {
    if (!column.isCompressedUnicode()) return false;
    if (text.size() <= kMaxUnprofitableChars || text.size() > kMaxCompressedChars) return false;
    return std::all_of(text.begin(), text.end(), [](char16_t c) {
        return c >= kFirstCompressible && c <= kLastCompressible;
    });
}

size_t storedTextSize(const ColumnDef& column, std::u16string_view text) {
    return storesCompressed(column, text) ? sizeof(kMarker) + text.size() : 2 * text.size();
}

void appendPlainText(std::u16string_view text, std::vector<uint8_t>& out) {
    const size_t start = out.size();
    out.resize(start + 2 * text.size());
    uint8_t* p = out.data() + start;
    if constexpr (std::endian::native == std::endian::little) {
        if (!text.empty()) std::memcpy(p, text.data(), 2 * text.size());  // already UTF-16LE
    } else {
        for (char16_t c : text) {
            *p++ = static_cast<uint8_t>(c);
            *p++ = static_cast<uint8_t>(c >> 8);
        }
    }
}

void appendStoredText(const ColumnDef& column, std::u16string_view text,
                      std::vector<uint8_t>& out) {
    if (!storesCompressed(column, text)) return appendPlainText(text, out);
    const size_t start = out.size();
    out.resize(start + sizeof(kMarker) + text.size());
    uint8_t* p = std::copy(std::begin(kMarker), std::end(kMarker), out.data() + start);
    for (char16_t c : text) *p++ = static_cast<uint8_t>(c);
}

}  // namespace jet
