// Text of Jet 3 (Access 97) databases: bytes of a single-byte Windows code page, the one the
// database header names (1252 in every file seen). Decoding maps each byte to one UTF-16 unit;
// the bytes a code page leaves undefined become the C1 control of the same value (0x81 ->
// U+0081), as Windows decodes them, so that every byte string survives decode and encode
// unchanged. Encoding reports the first character the code page cannot hold instead of
// replacing it.
// Thread safety: the codecs are immutable once built; any thread may use them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace jet {

// The first character of a text that a code page cannot hold.
struct UnencodableCharacter {
    size_t offset = 0;           // where it starts, in UTF-16 code units
    size_t characterNumber = 0;  // its place counted in characters from 1 (a surrogate pair is one)
    char32_t character = 0;      // its code point; a lone surrogate half as itself
};

class CodePageText {
  public:
    // `upperHalf` gives the character of each byte 0x80-0xFF; bytes 0x00-0x7F are ASCII.
    CodePageText(uint16_t number, const std::array<char16_t, 128>& upperHalf);

    uint16_t number() const { return number_; }

    char16_t decode(uint8_t byte) const { return toUnicode_[byte]; }
    std::u16string decode(std::string_view bytes) const;
    std::u16string decode(std::span<const uint8_t> bytes) const;

    // The byte of `unit`, or nothing when the code page has none (surrogate halves included).
    std::optional<uint8_t> encode(char16_t unit) const {
        if (unit < fromLatin1_.size()) {
            const int16_t byte = fromLatin1_[unit];
            if (byte >= 0) return static_cast<uint8_t>(byte);
            return std::nullopt;
        }
        return encodeBeyondLatin1(unit);
    }
    // Appends the bytes of `text` to `out`. When a character cannot be held, returns it and
    // leaves `out` as it was.
    std::optional<UnencodableCharacter> encode(std::u16string_view text, std::string& out) const;
    std::optional<UnencodableCharacter> encode(std::u16string_view text,
                                               std::vector<uint8_t>& out) const;
    // The first character of `text` the code page cannot hold, if any.
    std::optional<UnencodableCharacter> findUnencodable(std::u16string_view text) const;

  private:
    std::optional<uint8_t> encodeBeyondLatin1(char16_t unit) const;
    template <typename Out>
    std::optional<UnencodableCharacter> encodeInto(std::u16string_view text, Out& out) const;

    uint16_t number_;
    std::array<char16_t, 256> toUnicode_;
    std::array<int16_t, 256> fromLatin1_;                  // byte of U+0000-U+00FF, -1: none
    std::vector<std::pair<char16_t, uint8_t>> fromOther_;  // the other units, sorted
};

// True when this engine has a codec for code page `number`.
bool isSupportedCodePage(uint16_t number);

// The codec of code page `number` (1252). Throws Error UnsupportedFormat with a German
// description for a code page this engine does not know.
const CodePageText& codePageText(uint16_t number);

// German description (UTF-8) of a character code page `codePage` cannot hold, for the field
// problem of a value that is to be written to an Access 97 database.
std::string unencodableDescription(const UnencodableCharacter& character, uint16_t codePage);

}  // namespace jet
