// Text as Jet stores it in Text and Memo fields: plain UTF-16LE, or Jet's compressed form. The
// compressed form is the marker FF FE, then the characters in runs: one byte per character in
// one-byte mode (where it starts), two bytes (UTF-16LE) in two-byte mode, a 0x00 byte switching
// between the modes. It is written where it is the shorter form, as Access writes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "jet/table/table_definition.h"

namespace jet {

namespace text_compression_layout {
inline constexpr uint8_t kMarker[2] = {0xFF, 0xFE};
inline constexpr uint8_t kModeSwitch = 0x00;
// Longer texts are stored plain: readers stop decoding compressed text beyond this length.
inline constexpr size_t kMaxCompressedChars = 1024;
// The highest character of one-byte mode. U+0000 has no compressed form (its byte would read
// as a mode switch), nor has a character above this whose low byte is 0x00: some readers look
// for the switch at every byte of a two-byte run, not only at character boundaries.
inline constexpr char16_t kLastOneByte = 0x00FF;
}  // namespace text_compression_layout

// True when `text` is stored compressed in `column`: the column allows compression (extended
// flag 0x01), the text has at most 1024 characters, each has a compressed form, and the
// compressed form is shorter than the plain one (2 bytes a character). Text of U+0001..U+00FF
// only is compressed from 3 characters on; a run of other characters costs two mode switches,
// so a few of them among many one-byte characters still leave the compressed form shorter.
// Text that begins with U+FEFF is compressed whenever it can be: plain, its first bytes would
// read as the marker.
bool storesCompressed(const ColumnDef& column, std::u16string_view text);

// The number of bytes `text` takes when stored in `column`.
size_t storedTextSize(const ColumnDef& column, std::u16string_view text);

// The most bytes text of `chars` characters may take stored: the marker, and a mode switch
// before each character in the worst case.
constexpr size_t maxStoredTextSize(size_t chars) {
    return sizeof(text_compression_layout::kMarker) + 3 * chars;
}

// Writes the stored bytes of `text` in `column` at `out`, which has room for
// maxStoredTextSize(text.size()) bytes; returns their number.
size_t writeStoredText(const ColumnDef& column, std::u16string_view text, uint8_t* out);

// Appends the stored bytes of `text` in `column` to `out`.
void appendStoredText(const ColumnDef& column, std::u16string_view text, std::vector<uint8_t>& out);

// Appends `text` as plain UTF-16LE, whatever the column allows.
void appendPlainText(std::u16string_view text, std::vector<uint8_t>& out);

}  // namespace jet
