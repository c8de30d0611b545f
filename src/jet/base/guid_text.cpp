#include "jet/base/guid_text.h"

#include <array>

#include "jet/base/text.h"
#include "jet/base/value_locale.h"

namespace jet {
namespace {

using guid_format::kTextLength;

// Where the hyphens stand in the 36 characters.
bool isHyphenPlace(size_t i) {
    return i == 8 || i == 13 || i == 18 || i == 23;
}

std::optional<uint8_t> hexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return static_cast<uint8_t>(c - u'0');
    if (c >= u'a' && c <= u'f') return static_cast<uint8_t>(c - u'a' + 10);
    if (c >= u'A' && c <= u'F') return static_cast<uint8_t>(c - u'A' + 10);
    return std::nullopt;
}

std::u16string_view withoutWrapping(std::u16string_view text) {
    text = trimWhiteSpace(text);
    const std::u16string_view prefix = guid_format::kDaoPrefix;
    if (text.size() > prefix.size() && equalIgnoringCase(text.substr(0, prefix.size()), prefix) &&
        text.back() == u'}') {
        text = text.substr(prefix.size(), text.size() - prefix.size() - 1);
    }
    if (text.size() == kTextLength + 2 && text.front() == u'{' && text.back() == u'}') {
        text = text.substr(1, kTextLength);
    }
    return text;
}

}  // namespace

std::optional<Guid> parseGuidText(std::u16string_view text) {
    text = withoutWrapping(text);
    if (text.size() != kTextLength) return std::nullopt;
    Guid guid;
    size_t byte = 0;
    for (size_t i = 0; i < kTextLength;) {
        if (isHyphenPlace(i)) {
            if (text[i++] != u'-') return std::nullopt;
            continue;
        }
        const auto high = hexValue(text[i]);
        const auto low = hexValue(text[i + 1]);
        if (!high || !low) return std::nullopt;
        guid.bytes[byte++] = static_cast<uint8_t>(*high << 4 | *low);
        i += 2;
    }
    return guid;
}

std::u16string formatGuidText(const Guid& guid) {
    static constexpr std::u16string_view kHex = u"0123456789ABCDEF";
    std::u16string out = u"{";
    size_t byte = 0;
    for (size_t i = 0; i < kTextLength; i += 2) {
        if (isHyphenPlace(i)) {
            out += u'-';
            ++i;
        }
        out += kHex[guid.bytes[byte] >> 4];
        out += kHex[guid.bytes[byte] & 0xF];
        ++byte;
    }
    out += u'}';
    return out;
}

Guid swapGuidByteOrder(const Guid& guid) {
    static constexpr std::array<size_t, 16> kFrom = {3, 2, 1,  0,  5,  4,  7,  6,
                                                     8, 9, 10, 11, 12, 13, 14, 15};
    Guid out;
    for (size_t i = 0; i < kFrom.size(); ++i) out.bytes[i] = guid.bytes[kFrom[i]];
    return out;
}

}  // namespace jet
