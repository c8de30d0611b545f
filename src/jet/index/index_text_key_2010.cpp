// The General text key (ACE 14 and later): General Legacy's rules with General's code table.
#include <array>
#include <string_view>
#include <vector>

#include "jet/index/index_key.h"
#include "jet/index/index_text_codes_2010.h"
#include "jet/index/index_text_key_sections.h"

namespace jet {
namespace {

struct GeneralCodes {
    static const std::array<CharCodes, 256>& latin1() { return latin1GeneralCodes(); }
    static CharCodes of(char16_t unit) { return generalCodes(unit); }
};

}  // namespace

void appendTextGeneralKey(std::vector<uint8_t>& out, std::u16string_view text, bool ascending) {
    sectioned_text_key::appendSectionedTextKey<GeneralCodes>(out, text, ascending);
}

}  // namespace jet
