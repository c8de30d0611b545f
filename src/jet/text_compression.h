// Text as Jet stores it in Text and Memo fields: plain UTF-16LE, or Jet's compressed form (the
// marker FF FE, then one byte per character). The compressed form is chosen exactly where
// Access and other writers choose it, so that readers meet the forms they expect.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "jet/table_definition.h"

namespace jet {

namespace text_compression_layout {
inline constexpr uint8_t kMarker[2] = {0xFF, 0xFE};
// Longer texts are stored plain: readers stop decoding compressed text beyond this length.
inline constexpr size_t kMaxCompressedChars = 1024;
// Up to this length the marker makes compression no shorter than plain text.
inline constexpr size_t kMaxUnprofitableChars = 2;
// Character 0 would read as a mode switch; above 0xFF there is no one-byte form.
inline constexpr char16_t kFirstCompressible = 0x0001;
inline constexpr char16_t kLastCompressible = 0x00FF;
}  // namespace text_compression_layout

// True when `text` is stored compressed in `column`: the column allows compression (extended
// flag 0x01), the text has 3 to 1024 characters and all of them lie in U+0001..U+00FF. The
// compressed form is then always the shorter one (n + 2 bytes against 2n).
bool storesCompressed(const ColumnDef& column, std::u16string_view text);

// The number of bytes `text` takes when stored in `column`.
size_t storedTextSize(const ColumnDef& column, std::u16string_view text);

// Appends the stored bytes of `text` in `column` to `out`.
void appendStoredText(const ColumnDef& column, std::u16string_view text, std::vector<uint8_t>& out);

// Appends `text` as plain UTF-16LE, whatever the column allows.
void appendPlainText(std::u16string_view text, std::vector<uint8_t>& out);

}  // namespace jet
