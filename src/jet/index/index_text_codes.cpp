#include "jet/index/index_text_codes.h"

#include <algorithm>

namespace jet {
namespace {

// One run of neighbouring code units that share their codes except for one value, which grows
// by `step` per unit: the inline bytes (read big-endian) when there are any, else `special`.
struct CodeRun {
    char16_t first;
    CharCodeType type;
    uint8_t step;
    uint8_t inlineLength;
    uint32_t inlineValue;
    uint8_t extraLength;
    uint16_t extraValue;
    uint8_t special;  // Unprintable: the code; ExtraModifier: the modifier
    uint8_t crazyFlag;
};

using T = CharCodeType;
#include "jet/index/index_text_codes_table.inc"

static_assert(kCodeRuns.front().first == 0, "the runs must start at U+0000");

const CodeRun& runOf(char16_t unit) {
    // The last run whose first unit is not after `unit`.
    auto next = std::upper_bound(kCodeRuns.begin(), kCodeRuns.end(), unit,
                                 [](char16_t u, const CodeRun& run) { return u < run.first; });
    return *(next - 1);
}

template <size_t N>
void putBigEndian(std::array<uint8_t, N>& out, uint32_t value, uint8_t length) {
    for (uint8_t i = 0; i < length; ++i) {
        out[i] = static_cast<uint8_t>(value >> (8 * (length - 1 - i)));
    }
}

}  // namespace

CharCodes tableCodes(char16_t unit) {
    const CodeRun& run = runOf(unit);
    const uint32_t advance = uint32_t{run.step} * (unit - run.first);
    CharCodes codes;
    codes.type = run.type;
    codes.inlineLength = run.inlineLength;
    codes.extraLength = run.extraLength;
    putBigEndian(codes.inlineBytes, run.inlineLength > 0 ? run.inlineValue + advance : 0,
                 run.inlineLength);
    putBigEndian(codes.extraBytes, run.extraValue, run.extraLength);
    const auto special =
        static_cast<uint8_t>(run.inlineLength > 0 ? run.special : run.special + advance);
    if (run.type == CharCodeType::Unprintable) codes.unprintableCode = special;
    if (run.type == CharCodeType::ExtraModifier) codes.extraModifier = special;
    codes.crazyFlag = run.crazyFlag;
    return codes;
}

namespace {

CharCodes legacyCodesOf(char16_t unit) {
    CharCodes codes = tableCodes(unit);
    if (codes.type == CharCodeType::Surrogate) return CharCodes{};
    return codes;
}

struct Latin1Codes {
    std::array<CharCodes, 256> codes;
    Latin1Codes() {
        for (char16_t unit = 0; unit < codes.size(); ++unit) codes[unit] = legacyCodesOf(unit);
    }
};

}  // namespace

const std::array<CharCodes, 256>& latin1LegacyCodes() {
    static const Latin1Codes latin1;
    return latin1.codes;
}

CharCodes generalLegacyCodes(char16_t unit) {
    if (unit < 256) return latin1LegacyCodes()[unit];
    return legacyCodesOf(unit);
}

}  // namespace jet
