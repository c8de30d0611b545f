#include "jet/text_compression.h"

#include <algorithm>

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
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
}

void appendStoredText(const ColumnDef& column, std::u16string_view text,
                      std::vector<uint8_t>& out) {
    if (!storesCompressed(column, text)) return appendPlainText(text, out);
    out.insert(out.end(), std::begin(kMarker), std::end(kMarker));
    for (char16_t c : text) out.push_back(static_cast<uint8_t>(c));
}

}  // namespace jet
