#include "jet/index/index_text_codes.h"

#include <algorithm>

#include "jet/index/index_text_code_runs.h"

namespace jet {
namespace {

using T = CharCodeType;
#include "jet/index/index_text_codes_table.inc"

static_assert(kCodeRuns.front().first == 0, "the runs must start at U+0000");

template <size_t N>
void putBigEndian(std::array<uint8_t, N>& out, uint64_t value, uint8_t length) {
    for (uint8_t i = 0; i < length; ++i) {
        out[i] = static_cast<uint8_t>(value >> (8 * (length - 1 - i)));
    }
}

}  // namespace

CharCodes codesInRuns(std::span<const CodeRun> runs, char16_t unit) {
    // The last run whose first unit is not after `unit`.
    auto next = std::upper_bound(runs.begin(), runs.end(), unit,
                                 [](char16_t u, const CodeRun& run) { return u < run.first; });
    const CodeRun& run = *(next - 1);
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

CharCodes tableCodes(char16_t unit) {
    return codesInRuns(kCodeRuns, unit);
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
