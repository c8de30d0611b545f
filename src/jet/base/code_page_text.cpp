#include "jet/base/code_page_text.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

#include "jet/base/errors.h"
#include "jet/base/text.h"

namespace jet {
namespace {

// Windows-1252 from 0x80 on. The five bytes it leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// are the C1 controls of the same value, as Windows decodes them.
constexpr std::array<char16_t, 128> kCp1252UpperHalf{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,  // 0xA0
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,  // 0xA8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,  // 0xB8
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,  // 0xC0
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,  // 0xC8
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,  // 0xD0
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,  // 0xD8
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,  // 0xE0
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,  // 0xE8
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,  // 0xF0
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,  // 0xF8
};

struct KnownCodePage {
    uint16_t number;
    const std::array<char16_t, 128>* upperHalf;
};

// A further single-byte code page is one more line here, with its table above.
constexpr KnownCodePage kKnownCodePages[] = {
    {1252, &kCp1252UpperHalf},
};

constexpr size_t kAscii = 0x80;

bool isHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool isLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// The character starting at `offset` of `text`, which the code page cannot hold.
UnencodableCharacter unencodableAt(std::u16string_view text, size_t offset) {
    UnencodableCharacter result;
    result.offset = offset;
    result.characterNumber = 1;
    for (size_t i = 0; i < offset; ++i) {
        if (!(isLowSurrogate(text[i]) && i > 0 && isHighSurrogate(text[i - 1])))
            ++result.characterNumber;
    }
    const char16_t unit = text[offset];
    result.character = unit;
    if (isHighSurrogate(unit) && offset + 1 < text.size() && isLowSurrogate(text[offset + 1])) {
        result.character =
            0x10000 + ((char32_t{unit} - 0xD800) << 10) + (char32_t{text[offset + 1]} - 0xDC00);
    }
    return result;
}

std::string codePointName(char32_t c) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    return name;
}

// A character worth showing as itself: not a control, not a surrogate half, not a blank.
bool showable(char32_t c) {
    return c > 0x20 && !(c >= 0x7F && c < 0xA0) && !(c >= 0xD800 && c <= 0xDFFF) && c != 0xA0 &&
           c != 0xAD && c <= 0x10FFFF;
}

std::string utf8Of(char32_t c) {
    std::u16string units;
    if (c < 0x10000) {
        units += static_cast<char16_t>(c);
    } else {
        units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
    return jet::toUtf8(units);
}

}  // namespace

CodePageText::CodePageText(uint16_t number, const std::array<char16_t, 128>& upperHalf)
    : number_(number) {
    fromLatin1_.fill(-1);
    for (size_t byte = 0; byte < toUnicode_.size(); ++byte) {
        const char16_t unit =
            byte < kAscii ? static_cast<char16_t>(byte) : upperHalf[byte - kAscii];
        toUnicode_[byte] = unit;
        if (unit < fromLatin1_.size()) {
            fromLatin1_[unit] = static_cast<int16_t>(byte);
        } else {
            fromOther_.emplace_back(unit, static_cast<uint8_t>(byte));
        }
    }
    std::sort(fromOther_.begin(), fromOther_.end());
}

std::u16string CodePageText::decode(std::string_view bytes) const {
    std::u16string text(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i) text[i] = toUnicode_[static_cast<uint8_t>(bytes[i])];
    return text;
}

std::u16string CodePageText::decode(std::span<const uint8_t> bytes) const {
    std::u16string text(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i) text[i] = toUnicode_[bytes[i]];
    return text;
}

std::optional<uint8_t> CodePageText::encodeBeyondLatin1(char16_t unit) const {
    auto found = std::lower_bound(fromOther_.begin(), fromOther_.end(), unit,
                                  [](const auto& entry, char16_t u) { return entry.first < u; });
    if (found == fromOther_.end() || found->first != unit) return std::nullopt;
    return found->second;
}

template <typename Out>
std::optional<UnencodableCharacter> CodePageText::encodeInto(std::u16string_view text,
                                                             Out& out) const {
    const size_t start = out.size();
    out.resize(start + text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const std::optional<uint8_t> byte = encode(text[i]);
        if (!byte) {
            out.resize(start);
            return unencodableAt(text, i);
        }
        out[start + i] = static_cast<typename Out::value_type>(*byte);
    }
    return std::nullopt;
}

std::optional<UnencodableCharacter> CodePageText::encode(std::u16string_view text,
                                                         std::string& out) const {
    return encodeInto(text, out);
}

std::optional<UnencodableCharacter> CodePageText::encode(std::u16string_view text,
                                                         std::vector<uint8_t>& out) const {
    return encodeInto(text, out);
}

std::optional<UnencodableCharacter> CodePageText::findUnencodable(std::u16string_view text) const {
    for (size_t i = 0; i < text.size(); ++i) {
        if (!encode(text[i])) return unencodableAt(text, i);
    }
    return std::nullopt;
}

bool isSupportedCodePage(uint16_t number) {
    return std::any_of(std::begin(kKnownCodePages), std::end(kKnownCodePages),
                       [number](const KnownCodePage& known) { return known.number == number; });
}

const CodePageText& codePageText(uint16_t number) {
    static const std::vector<CodePageText> codecs = [] {
        std::vector<CodePageText> all;
        for (const KnownCodePage& known : kKnownCodePages)
            all.emplace_back(known.number, *known.upperHalf);
        return all;
    }();
    for (const CodePageText& codec : codecs) {
        if (codec.number() == number) return codec;
    }
    std::string known;
    for (const KnownCodePage& page : kKnownCodePages)
        known += (known.empty() ? "" : ", ") + std::to_string(page.number);
    throw Error(ErrorCode::UnsupportedFormat,
                "Die Access-97-Datenbank verwendet die Codepage " + std::to_string(number) +
                    ", die nicht unterstützt wird (unterstützt: " + known + ").");
}

std::string unencodableDescription(const UnencodableCharacter& character, uint16_t codePage) {
    const std::string shown =
        showable(character.character)
            ? "„" + utf8Of(character.character) + "“ (" + codePointName(character.character) + ")"
            : codePointName(character.character);
    return "Das Zeichen " + shown + " an Stelle " + std::to_string(character.characterNumber) +
           " lässt sich in der Codepage " + std::to_string(codePage) +
           " der Access-97-Datenbank nicht darstellen.";
}

}  // namespace jet
