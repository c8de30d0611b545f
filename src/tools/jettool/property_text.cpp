#include "tools/jettool/property_text.h"

#include "jet/base/extended_date.h"
#include "jet/base/text.h"
#include "tools/jettool/value_text.h"

namespace jettool {

namespace {

struct Text {
    std::string operator()(const jet::Null&) const { return "NULL"; }
    std::string operator()(bool v) const { return v ? "True" : "False"; }
    std::string operator()(uint8_t v) const { return std::to_string(v); }
    std::string operator()(int16_t v) const { return std::to_string(v); }
    std::string operator()(int32_t v) const { return std::to_string(v); }
    std::string operator()(int64_t v) const { return std::to_string(v); }
    std::string operator()(const jet::Currency& v) const { return formatCurrency(v); }
    std::string operator()(float v) const { return formatSingle(v); }
    std::string operator()(double v) const { return formatDouble(v); }
    std::string operator()(const jet::DateTime& v) const { return formatDateTime(v.days); }
    std::string operator()(const jet::ExtendedDateTime& v) const {
        return jet::formatExtendedDate(v);
    }
    std::string operator()(const std::u16string& v) const { return "\"" + jet::toUtf8(v) + "\""; }
    std::string operator()(const jet::Bytes& v) const { return "0x" + formatHex(v); }
    std::string operator()(const jet::Guid& v) const { return formatGuid(v); }
    std::string operator()(const jet::Decimal& v) const { return formatDecimal(v); }
};

}  // namespace

std::string propertyText(const jet::Property& p) {
    return std::visit(Text{}, p.value);
}

}  // namespace jettool
