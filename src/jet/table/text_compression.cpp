#include "jet/table/text_compression.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "jet/base/code_page_text.h"
#include "jet/base/errors.h"
#include "jet/base/text.h"

namespace jet {

using namespace text_compression_layout;

namespace {

bool isOneByte(char16_t c) {
    return c != 0 && c <= kLastOneByte;
}

bool hasCompressedForm(char16_t c) {
    return (c & 0xFF) != 0;  // U+0000, or a two-byte character whose low byte reads as a switch
}

bool mayCompress(const ColumnDef& column, std::u16string_view text) {
    return column.isCompressedUnicode() && text.size() <= kMaxCompressedChars;
}

// Plain text that begins with U+FEFF starts with the bytes of the marker.
bool plainReadsAsCompressed(std::u16string_view text) {
    return !text.empty() && text[0] == 0xFEFF;
}

// Compressed text must stay below this size to be chosen.
size_t compressedLimit(std::u16string_view text) {
    return plainReadsAsCompressed(text) ? maxStoredTextSize(text.size()) + 1 : 2 * text.size();
}

// The size of the compressed form, or 0 when some character has none.
size_t compressedSize(std::u16string_view text) {
    size_t size = sizeof(kMarker);
    bool oneByteMode = true;
    for (char16_t c : text) {
        if (!hasCompressedForm(c)) return 0;
        const bool oneByte = isOneByte(c);
        if (oneByte != oneByteMode) ++size;
        oneByteMode = oneByte;
        size += oneByte ? 1 : 2;
    }
    return size;
}

// True when the four characters in `w` (as they lie in memory) are all one-byte characters.
bool fourOneByte(uint64_t w) {
    constexpr uint64_t kHighBytes = 0xFF00FF00FF00FF00ull;
    constexpr uint64_t kOnes = 0x0001000100010001ull, kSignBits = 0x8000800080008000ull;
    // With every high byte 0, subtracting 1 from each character borrows only at a U+0000.
    return (w & kHighBytes) == 0 && ((w - kOnes) & kSignBits) == 0;
}

// The low bytes of the four characters in `w`, in their order.
uint32_t lowBytes(uint64_t w) {
    const uint64_t pairs = (w | w >> 8) & 0x0000FFFF0000FFFFull;
    return static_cast<uint32_t>(pairs | pairs >> 16);
}

#if defined(__SSE2__)
// Writes the low bytes of the eight characters at `c` to `out` when all eight are one-byte
// characters; false, writing nothing, when one is not. SSE2 is part of every x86-64.
bool eightOneByte(const char16_t* c, uint8_t* out) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c));
    const __m128i zero = _mm_setzero_si128();
    const __m128i highIsZero = _mm_cmpeq_epi16(_mm_srli_epi16(units, 8), zero);
    const __m128i isNul = _mm_cmpeq_epi16(units, zero);
    if (_mm_movemask_epi8(_mm_andnot_si128(isNul, highIsZero)) != 0xFFFF) return false;
    // Each unit is 1 to 255, so packing to unsigned bytes keeps it as it is.
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(units, units));
    return true;
}
#endif

// Writes the compressed form of `text` at `out` while it stays below `limit` bytes; returns
// its size, or 0 when it would not (or some character has no compressed form). One pass, eight
// or four one-byte characters at a step, as every row's text passes through here.
size_t compressBelow(std::u16string_view text, uint8_t* out, size_t limit) {
    if (limit <= sizeof(kMarker)) return 0;
    uint8_t* p = std::copy(std::begin(kMarker), std::end(kMarker), out);
    const uint8_t* const end = out + limit;
    const char16_t* c = text.data();
    const char16_t* const last = c + text.size();
    bool oneByteMode = true;
    // Each write checks that the result stays below `limit`, with `needed` bytes to come.
    auto fits = [&](ptrdiff_t needed) { return end - p > needed; };
    while (c != last) {
        const bool oneByte = isOneByte(*c);
        if (!oneByte && !hasCompressedForm(*c)) return 0;
        if (oneByte != oneByteMode) {
            if (!fits(1)) return 0;
            *p++ = kModeSwitch;
            oneByteMode = oneByte;
        }
        if (!oneByte) {
            if (!fits(2)) return 0;
            *p++ = static_cast<uint8_t>(*c);
            *p++ = static_cast<uint8_t>(*c >> 8);
            ++c;
            continue;
        }
#if defined(__SSE2__)
        for (; last - c >= 8 && fits(8); c += 8, p += 8)
            if (!eightOneByte(c, p)) break;
#endif
        if constexpr (std::endian::native == std::endian::little) {
            for (uint64_t w; last - c >= 4 && fits(4); c += 4, p += 4) {
                std::memcpy(&w, c, sizeof w);
                if (!fourOneByte(w)) break;
                const uint32_t bytes = lowBytes(w);
                std::memcpy(p, &bytes, sizeof bytes);
            }
        }
        for (; c != last && isOneByte(*c); ++c) {
            if (!fits(1)) return 0;
            *p++ = static_cast<uint8_t>(*c);
        }
    }
    return static_cast<size_t>(p - out);
}

void writePlain(std::u16string_view text, uint8_t* p) {
    if constexpr (std::endian::native == std::endian::little) {
        if (!text.empty()) std::memcpy(p, text.data(), 2 * text.size());  // already UTF-16LE
    } else {
        for (char16_t c : text) {
            *p++ = static_cast<uint8_t>(c);
            *p++ = static_cast<uint8_t>(c >> 8);
        }
    }
}

}  // namespace

bool storesCompressed(const ColumnDef& column, std::u16string_view text) {
    if (!mayCompress(column, text)) return false;
    const size_t size = compressedSize(text);
    return size != 0 && size < compressedLimit(text);
}

size_t storedTextSize(const ColumnDef& column, std::u16string_view text) {
    return storesCompressed(column, text) ? compressedSize(text) : 2 * text.size();
}

void appendPlainText(std::u16string_view text, std::vector<uint8_t>& out) {
    const size_t start = out.size();
    out.resize(start + 2 * text.size());
    writePlain(text, out.data() + start);
}

// Jet 3 text: one byte per character in the column's code page.
size_t writeCodePageText(const ColumnDef& column, std::u16string_view text, uint8_t* out) {
    const CodePageText& codec = codePageText(column.codePage);
    for (size_t i = 0; i < text.size(); ++i) {
        std::optional<uint8_t> byte = codec.encode(text[i]);
        if (!byte) {
            throw Error(ErrorCode::ConversionFailed,
                        "Feld „" + toUtf8(column.name) + "“: " +
                            unencodableDescription(*codec.findUnencodable(text), column.codePage));
        }
        out[i] = *byte;
    }
    return text.size();
}

size_t writeStoredText(const ColumnDef& column, std::u16string_view text, uint8_t* out) {
    if (column.codePage != 0) return writeCodePageText(column, text, out);
    if (mayCompress(column, text))
        if (size_t size = compressBelow(text, out, compressedLimit(text))) return size;
    writePlain(text, out);
    return 2 * text.size();
}

void appendStoredText(const ColumnDef& column, std::u16string_view text,
                      std::vector<uint8_t>& out) {
    const size_t start = out.size();
    out.resize(start + maxStoredTextSize(text.size()));
    out.resize(start + writeStoredText(column, text, out.data() + start));
}

}  // namespace jet
