// The General Legacy text key (Jet 4, ACE 12).
#include <array>
#include <string_view>
#include <vector>

#include "jet/index/index_key.h"
#include "jet/index/index_text_codes.h"
#include "jet/index/index_text_key_sections.h"

namespace jet {
namespace {

struct LegacyCodes {
    static const std::array<CharCodes, 256>& latin1() { return latin1LegacyCodes(); }
    static CharCodes of(char16_t unit) { return generalLegacyCodes(unit); }
};

}  // namespace

void appendTextKey(std::vector<uint8_t>& out, std::u16string_view text, bool ascending) {
    sectioned_text_key::appendSectionedTextKey<LegacyCodes>(out, text, ascending);
}

}  // namespace jet
