// The General 97 text key of Jet 3 (Access 97): the inline sort bytes of every code-page byte,
// then either an end byte or the accent section, a string of nibbles. See docs/jet3-format.md
// §10.3 and §10.4; docs/jet3/gen97_key.py is the reference this follows.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "jet/index/index_key.h"
#include "jet/index/index_key_format.h"
#include "jet/index/index_text_codes_97.h"

namespace jet {
namespace {

namespace text_key_97 {
// Access 97 indexes no more than the characters a Text column can hold, memo columns included.
inline constexpr size_t kMaxChars = 255;
inline constexpr char kSpace = ' ';
// A key without accented letters ends with this byte.
inline constexpr uint8_t kEndKey = 0x00;
// Accent section: an opening nibble; per accented letter a placeholder for each significant
// letter since the previous accented letter, then the accent; a closing nibble, and a padding
// nibble when that leaves half a byte. No separator stands between inline bytes and accents.
inline constexpr uint8_t kAccentOpen = 0x0;
inline constexpr uint8_t kAccentPlaceholder = 0x2;
inline constexpr uint8_t kAccentClose = 0x0;
inline constexpr uint8_t kAccentPad = 0x0;
// Each character stands for at most two significant letters (ß, the ligatures) and one accent.
inline constexpr size_t kMaxNibbles = 1 + 3 * kMaxChars + 2;
}  // namespace text_key_97

// The accent section while it is being built, kept on the stack: a key is built for every row.
class AccentNibbles {
  public:
    bool empty() const { return count_ == 0; }

    void addAccent(int placeholders, uint8_t accent) {
        if (count_ == 0) push(text_key_97::kAccentOpen);
        for (int i = 0; i < placeholders; ++i) push(text_key_97::kAccentPlaceholder);
        push(accent);
    }

    void appendTo(std::vector<uint8_t>& out) {
        push(text_key_97::kAccentClose);
        if (count_ % 2 != 0) push(text_key_97::kAccentPad);
        out.insert(out.end(), bytes_.begin(), bytes_.begin() + static_cast<ptrdiff_t>(count_ / 2));
    }

  private:
    void push(uint8_t nibble) {
        uint8_t& byte = bytes_[count_ / 2];
        byte = count_ % 2 == 0 ? static_cast<uint8_t>(nibble << 4)
                               : static_cast<uint8_t>(byte | (nibble & 0x0F));
        ++count_;
    }

    std::array<uint8_t, (text_key_97::kMaxNibbles + 1) / 2> bytes_;
    size_t count_ = 0;
};

std::string_view indexedPart(std::string_view text) {
    text = text.substr(0, std::min(text.size(), text_key_97::kMaxChars));
    while (!text.empty() && text.back() == text_key_97::kSpace) text.remove_suffix(1);
    return text;
}

}  // namespace

void appendText97Key(std::vector<uint8_t>& out, std::string_view codePageBytes, bool ascending) {
    const std::string_view text = indexedPart(codePageBytes);
    const std::array<Gen97KeyCodes, 256>& table = general97Codes();
    // Most characters take one inline byte; the ligatures two.
    out.reserve(out.size() + 2 * text.size() + 2);
    out.push_back(index_key_format::startByte(ascending));
    const size_t body = out.size();
    AccentNibbles accents;
    int significant = 0;  // significant letters since the last accented letter
    for (char c : text) {
        const Gen97KeyCodes& key = table[static_cast<uint8_t>(c)];
        if (key.codes.inlineLength == 1) {
            out.push_back(key.codes.inlineBytes[0]);
        } else {
            const std::span<const uint8_t> bytes = key.codes.inlineCodes();
            out.insert(out.end(), bytes.begin(), bytes.end());
        }
        significant += key.significant;
        if (key.codes.type == Gen97CodeType::Accented) {
            accents.addAccent(significant, key.codes.accent);
            significant = 0;
        }
    }
    if (accents.empty()) {
        out.push_back(text_key_97::kEndKey);
    } else {
        accents.appendTo(out);
    }
    if (!ascending) {
        for (size_t i = body; i < out.size(); ++i) out[i] = static_cast<uint8_t>(~out[i]);
    }
}

}  // namespace jet
