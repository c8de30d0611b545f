// What one UTF-16 code unit contributes to a text index key: its sort codes, as the generated
// tables of every sort order give them.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace jet {

enum class CharCodeType : uint8_t {
    Simple,            // inline bytes only
    International,     // inline bytes and an extra (accent) byte
    Unprintable,       // no inline bytes; a code in the key's unprintable section
    ExtraModifier,     // no inline bytes; added to the previous extra byte
    InternationalExt,  // inline bytes, optional extra bytes and a crazy flag
    Ignored,           // contributes nothing
    Surrogate,         // a UTF-16 surrogate half; see generalLegacyCodes
};

struct CharCodes {
    CharCodeType type = CharCodeType::Ignored;
    uint8_t inlineLength = 0;
    uint8_t extraLength = 0;
    std::array<uint8_t, 8> inlineBytes{};  // General Legacy uses up to 4, General up to 8
    std::array<uint8_t, 3> extraBytes{};   // General Legacy uses up to 2, General up to 3
    uint8_t unprintableCode = 0;           // Unprintable only
    uint8_t extraModifier = 0;             // ExtraModifier only
    uint8_t crazyFlag = 0;                 // InternationalExt only: 2 or 3

    std::span<const uint8_t> inlineCodes() const { return {inlineBytes.data(), inlineLength}; }
    std::span<const uint8_t> extraCodes() const { return {extraBytes.data(), extraLength}; }
};

}  // namespace jet
