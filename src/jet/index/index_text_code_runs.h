// The compact form of a generated sort-code table (see scripts/gen-index-codes): runs of
// neighbouring code units whose codes differ by a fixed step. Shared by the General Legacy and
// the General tables; only their .cpp files include it.
#pragma once

#include <cstdint>
#include <span>

#include "jet/index/index_char_codes.h"

namespace jet {

// One run of neighbouring code units that share their codes except for one value, which grows
// by `step` per unit: the inline bytes (read big-endian) when there are any, else `special`.
struct CodeRun {
    char16_t first;
    CharCodeType type;
    uint8_t step;
    uint8_t inlineLength;
    uint64_t inlineValue;
    uint8_t extraLength;
    uint32_t extraValue;
    uint8_t special;  // Unprintable: the code; ExtraModifier: the modifier
    uint8_t crazyFlag;
};

// The codes of `unit` in `runs`, which start at U+0000 and are sorted by their first unit.
CharCodes codesInRuns(std::span<const CodeRun> runs, char16_t unit);

}  // namespace jet
