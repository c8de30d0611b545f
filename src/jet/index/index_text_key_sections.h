// The text key of the General sort orders of Jet 4 and ACE (General Legacy and General): the
// inline sort bytes of every character, then the sections that carry what the inline bytes
// leave out (accents, unprintable characters, crazy flags). The two orders differ only in their
// code tables; only the files that compute their keys include this.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "jet/index/index_key_format.h"
#include "jet/index/index_text_codes.h"

namespace jet::sectioned_text_key {

namespace text_key {
// Access indexes no more than the characters a Text column can hold, memo columns included.
inline constexpr size_t kMaxChars = 255;
inline constexpr uint8_t kEndText = 0x01;
inline constexpr uint8_t kEndKey = 0x00;
// Extra bytes: a placeholder for each character without one; trailing bytes up to the
// placeholder say nothing and are dropped.
inline constexpr uint8_t kExtraPlaceholder = 0x02;
inline constexpr uint8_t kExtraTrimMax = 0x02;
// Unprintable entries: big-endian (kUnprintableBase + kUnprintableStep * position) | flag,
// then the midfix and the character's code.
inline constexpr int kUnprintableBase = 7;
inline constexpr int kUnprintableStep = 4;
inline constexpr int kUnprintableFlag = 0x8000;
inline constexpr uint8_t kUnprintableMidfix = 0x06;
// Crazy flags are packed three to a byte, two bits each, under this prefix.
inline constexpr uint8_t kCrazyPrefix = 0x80;
inline constexpr uint8_t kCrazyFlagClear = 0x03;
inline constexpr size_t kCrazyPerByte = 3;
inline constexpr size_t kCrazyBits = 2;
inline constexpr uint8_t kCrazySuffix[] = {0xFF, 0x02, 0x80, 0xFF, 0x80};
inline constexpr uint8_t kCrazyBeforeUnprintable = 0xFF;
}  // namespace text_key

// A section of a key while it is being built: at most `N` bytes, kept on the stack, since a
// key is built for every row and each section is bounded by the characters indexed.
template <size_t N>
class SectionBytes {
  public:
    bool empty() const { return size_ == 0; }
    size_t size() const { return size_; }
    const uint8_t* begin() const { return bytes_.data(); }
    const uint8_t* end() const { return bytes_.data() + size_; }
    uint8_t& back() { return bytes_[size_ - 1]; }
    void push_back(uint8_t b) { bytes_[size_++] = b; }
    // Room to write at the end; grow() then counts what was written there.
    uint8_t* tail() { return bytes_.data() + size_; }
    void grow(size_t written) { size_ += written; }
    void pop_back() { --size_; }
    void append(std::span<const uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<ptrdiff_t>(size_));
        size_ += bytes.size();
    }

  private:
    std::array<uint8_t, N> bytes_;
    size_t size_ = 0;
};

// The extra-bytes section while it is being built. `chars` counts the characters it accounts
// for (a placeholder or their own extra bytes); a modifier with nothing to modify becomes a
// byte of its own, the prefix, which unprintable positions do not count.
// Per character a placeholder or its extra bytes (at most three); a modifier adds to a byte
// or is the one prefix byte.
struct ExtraSection {
    bool started = false;
    SectionBytes<text_key::kMaxChars * 3 + 1> bytes;
    int chars = 0;
    int prefix = 0;
};

struct TextSections {
    ExtraSection extra;
    SectionBytes<text_key::kMaxChars * 4> unprintable;  // four bytes per character
    SectionBytes<text_key::kMaxChars> crazy;            // one flag per character
};

inline std::u16string_view indexedPart(std::u16string_view text) {
    text = text.substr(0, std::min(text.size(), text_key::kMaxChars));
    while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
    return text;
}

inline void addExtra(ExtraSection& extra, int position, const CharCodes& codes) {
    extra.started = true;
    for (; extra.chars < position; ++extra.chars)
        extra.bytes.push_back(text_key::kExtraPlaceholder);
    if (codes.extraLength > 0) {
        extra.bytes.append(codes.extraCodes());
        ++extra.chars;
    } else if (!extra.bytes.empty()) {
        extra.bytes.back() = static_cast<uint8_t>(extra.bytes.back() + codes.extraModifier);
    } else {
        extra.bytes.push_back(codes.extraModifier);
        extra.prefix = 1;
    }
}

// Access counts an unprintable character's position in extra-section bytes once that section
// exists, including placeholders for the inline characters not yet written to it.
inline void addUnprintable(TextSections& sections, int position, uint8_t code) {
    const ExtraSection& extra = sections.extra;
    const int counted = extra.started ? static_cast<int>(extra.bytes.size()) +
                                            (position - extra.chars) - extra.prefix
                                      : position;
    const int value = (text_key::kUnprintableBase + text_key::kUnprintableStep * counted) |
                      text_key::kUnprintableFlag;
    sections.unprintable.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
    sections.unprintable.push_back(static_cast<uint8_t>(value & 0xFF));
    sections.unprintable.push_back(text_key::kUnprintableMidfix);
    sections.unprintable.push_back(code);
}

template <typename Flags>
void appendCrazy(std::vector<uint8_t>& out, Flags flags) {
    while (!flags.empty() && flags.back() == text_key::kCrazyFlagClear) flags.pop_back();
    for (size_t i = 0; i < flags.size(); i += text_key::kCrazyPerByte) {
        uint8_t packed = text_key::kCrazyPrefix;
        for (size_t j = 0; j < text_key::kCrazyPerByte && i + j < flags.size(); ++j) {
            packed = static_cast<uint8_t>(
                packed | flags.begin()[i + j]
                             << (text_key::kCrazyBits * (text_key::kCrazyPerByte - 1 - j)));
        }
        out.push_back(packed);
    }
    out.insert(out.end(), std::begin(text_key::kCrazySuffix), std::end(text_key::kCrazySuffix));
}

template <typename Bytes>
void trimExtra(Bytes& bytes) {
    while (!bytes.empty() && bytes.back() <= text_key::kExtraTrimMax) bytes.pop_back();
}

// The code units below 256 whose inline bytes are all they add to a key (no extra, unprintable
// or crazy part): most characters of most texts, and a key is built for every row. For each
// unit its inline bytes as they lie in memory and their number, 0 for the other units.
struct OnlyInline {
    std::array<uint64_t, 256> bytes{};
    std::array<uint8_t, 256> lengths{};
};

template <typename Codes>
const OnlyInline& onlyInline() {
    static const OnlyInline only = [] {
        OnlyInline table;
        const std::array<CharCodes, 256>& latin1 = Codes::latin1();
        for (size_t unit = 0; unit < latin1.size(); ++unit) {
            const CharCodes& codes = latin1[unit];
            if (codes.extraLength != 0 || codes.extraModifier != 0 ||
                codes.type == CharCodeType::Unprintable || codes.crazyFlag != 0)
                continue;
            static_assert(sizeof(CharCodes::inlineBytes) == sizeof(uint64_t));
            std::memcpy(&table.bytes[unit], codes.inlineBytes.data(), sizeof(uint64_t));
            table.lengths[unit] = codes.inlineLength;
        }
        return table;
    }();
    return only;
}

// Writes the inline bytes to `out` and gathers the other sections. `Codes` gives the codes of
// a code unit: `latin1()` those of U+0000-U+00FF as one array, `of(unit)` any unit's.
template <typename Codes>
TextSections writeInline(std::vector<uint8_t>& out, std::u16string_view text) {
    TextSections sections;
    const std::array<CharCodes, 256>& latin1 = Codes::latin1();
    const OnlyInline& only = onlyInline<Codes>();
    SectionBytes<text_key::kMaxChars * 8> inlineBytes;  // eight bytes at most per character
    CharCodes other;
    int position = 0;  // characters with inline bytes so far
    for (size_t next = 0; next < text.size();) {
        // A run of characters that add inline bytes and nothing else, in one go. Each copies
        // all eight places of its inline bytes and moves on by its length: the section has
        // room for eight bytes for every character.
        uint8_t* to = inlineBytes.tail();
        const size_t runStart = next;
        for (; next < text.size() && text[next] < 256 && only.lengths[text[next]] != 0; ++next) {
            std::memcpy(to, &only.bytes[text[next]], sizeof(uint64_t));
            to += only.lengths[text[next]];
        }
        inlineBytes.grow(static_cast<size_t>(to - inlineBytes.tail()));
        position += static_cast<int>(next - runStart);
        if (next == text.size()) break;
        const char16_t unit = text[next++];
        const CharCodes& codes = unit < 256 ? latin1[unit] : (other = Codes::of(unit));
        const int current = position;
        if (codes.inlineLength == 1) {
            inlineBytes.push_back(codes.inlineBytes[0]);
            ++position;
        } else if (codes.inlineLength > 0) {
            inlineBytes.append(codes.inlineCodes());
            ++position;
        }
        if (codes.extraLength > 0 || codes.extraModifier != 0)
            addExtra(sections.extra, current, codes);
        if (codes.type == CharCodeType::Unprintable) {
            addUnprintable(sections, current, codes.unprintableCode);
        }
        if (codes.crazyFlag != 0) sections.crazy.push_back(codes.crazyFlag);
    }
    out.insert(out.end(), inlineBytes.begin(), inlineBytes.end());
    return sections;
}

inline void writeSections(std::vector<uint8_t>& out, TextSections& sections) {
    trimExtra(sections.extra.bytes);
    const bool hasUnprintable = !sections.unprintable.empty();
    const bool hasCrazy = !sections.crazy.empty();
    out.insert(out.end(), sections.extra.bytes.begin(), sections.extra.bytes.end());
    if (!hasUnprintable && !hasCrazy) return;
    out.push_back(text_key::kEndText);
    out.push_back(text_key::kEndText);
    if (hasCrazy) {
        appendCrazy(out, sections.crazy);
        if (hasUnprintable) out.push_back(text_key::kCrazyBeforeUnprintable);
    }
    if (hasUnprintable) {
        out.push_back(text_key::kEndText);
        out.insert(out.end(), sections.unprintable.begin(), sections.unprintable.end());
    }
}

// The whole key piece of `text`, flag byte included, under the sort order `Codes` stands for.
template <typename Codes>
void appendSectionedTextKey(std::vector<uint8_t>& out, std::u16string_view text, bool ascending) {
    text = indexedPart(text);
    // Most characters take one inline byte and few of the other sections.
    out.reserve(out.size() + 2 * text.size() + 16);
    out.push_back(index_key_format::startByte(ascending));
    const size_t body = out.size();
    TextSections sections = writeInline<Codes>(out, text);
    out.push_back(text_key::kEndText);
    writeSections(out, sections);
    if (!ascending) {
        // The descending key inverts one end byte along with the body, then ends as usual.
        out.push_back(text_key::kEndKey);
        for (size_t i = body; i < out.size(); ++i) out[i] = static_cast<uint8_t>(~out[i]);
    }
    out.push_back(text_key::kEndKey);
}

}  // namespace jet::sectioned_text_key
