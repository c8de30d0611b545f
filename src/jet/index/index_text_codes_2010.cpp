#include "jet/index/index_text_codes_2010.h"

#include <algorithm>

#include "jet/index/index_text_code_runs.h"

namespace jet {
namespace {

using T = CharCodeType;
#include "jet/index/index_text_codes_2010_table.inc"

static_assert(kCodeRuns.front().first == 0, "the runs must start at U+0000");

namespace surrogate {
inline constexpr char16_t kLowFirst = 0xDC00;
// A high half's inline code is its unit less this.
inline constexpr int kHighOffset = 10238;
// A low half's code is its unit less kLowOffset, less 2 more for each block of 254 units after
// the first 8 of its 1024-unit window (so its low byte never is 0x00 or 0x01); at most 4 times.
inline constexpr int kLowOffset = 9992;
inline constexpr int kLowHead = 8;
inline constexpr int kLowBlock = 254;
inline constexpr int kLowMaxBlocks = 4;
inline constexpr int kWindow = 1024;
inline constexpr uint8_t kExtra = 0x3F;
}  // namespace surrogate

CharCodes surrogateCodes(char16_t unit) {
    using namespace surrogate;
    int code = 0;
    if (unit < kLowFirst) {
        code = unit - kHighOffset;
    } else {
        const int offset = (unit - kLowFirst) % kWindow;
        const int blocks =
            offset < kLowHead ? 0 : std::min(kLowMaxBlocks, (offset - kLowHead) / kLowBlock + 1);
        code = unit - kLowOffset + 2 * blocks;
    }
    CharCodes codes;
    codes.type = CharCodeType::Surrogate;
    codes.inlineLength = 2;
    codes.inlineBytes[0] = static_cast<uint8_t>(code >> 8);
    codes.inlineBytes[1] = static_cast<uint8_t>(code & 0xFF);
    codes.extraLength = 1;
    codes.extraBytes[0] = kExtra;
    return codes;
}

CharCodes codesOf(char16_t unit) {
    CharCodes codes = generalTableCodes(unit);
    return codes.type == CharCodeType::Surrogate ? surrogateCodes(unit) : codes;
}

struct Latin1Codes {
    std::array<CharCodes, 256> codes;
    Latin1Codes() {
        for (char16_t unit = 0; unit < codes.size(); ++unit) codes[unit] = codesOf(unit);
    }
};

}  // namespace

CharCodes generalTableCodes(char16_t unit) {
    return codesInRuns(kCodeRuns, unit);
}

const std::array<CharCodes, 256>& latin1GeneralCodes() {
    static const Latin1Codes latin1;
    return latin1.codes;
}

CharCodes generalCodes(char16_t unit) {
    if (unit < 256) return latin1GeneralCodes()[unit];
    return codesOf(unit);
}

}  // namespace jet
