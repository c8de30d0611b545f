#include "jet/index/index_text_codes_97.h"

#include <algorithm>

namespace jet {
namespace {

using T97 = Gen97CodeType;
#include "jet/index/index_text_codes_97_table.inc"

// Access 97 keys a NUL as it keys the other control characters (docs/jet3-format.md §10.4).
constexpr uint8_t kNulByte = 0x00;
constexpr uint8_t kControlCode = 0x10;

constexpr bool isSignificantCode(uint8_t code) {
    return std::any_of(kGen97Codes.begin(), kGen97Codes.end(), [code](const Gen97Codes& c) {
        return c.type == Gen97CodeType::Significant && c.inlineBytes[0] == code;
    });
}

constexpr std::array<Gen97KeyCodes, 256> keyCodes() {
    std::array<Gen97KeyCodes, 256> table{};
    for (size_t byte = 0; byte < table.size(); ++byte) {
        Gen97KeyCodes& entry = table[byte];
        entry.codes = kGen97Codes[byte];
        if (byte == kNulByte) {
            entry.codes.type = Gen97CodeType::Simple;
            entry.codes.inlineLength = 1;
            entry.codes.inlineBytes = {kControlCode, 0};
        }
        if (entry.codes.type == Gen97CodeType::Significant) {
            entry.significant = 1;
        } else if (entry.codes.type == Gen97CodeType::Simple && entry.codes.inlineLength > 1) {
            for (uint8_t code : entry.codes.inlineCodes())
                if (isSignificantCode(code)) ++entry.significant;
        }
    }
    return table;
}

constexpr std::array<Gen97KeyCodes, 256> kGen97KeyCodes = keyCodes();

static_assert(kGen97KeyCodes[0xDF].significant == 2, "ß stands for two significant letters");
static_assert(kGen97KeyCodes[0x00].codes.inlineBytes[0] == kControlCode, "NUL is a control");

}  // namespace

const std::array<Gen97Codes, 256>& general97TableCodes() {
    return kGen97Codes;
}

const std::array<Gen97KeyCodes, 256>& general97Codes() {
    return kGen97KeyCodes;
}

}  // namespace jet
