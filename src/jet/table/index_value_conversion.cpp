#include "jet/table/index_value_conversion.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "jet/base/errors.h"
#include "jet/base/exact_number.h"
#include "jet/base/extended_date.h"
#include "jet/base/text.h"

namespace jet {
namespace {

using decimal_format::kCurrencyScale;
using decimal_format::kMaxScale;

[[noreturn]] void throwConversion(const ColumnDef& column) {
    throw Error(ErrorCode::ConversionFailed, "Der Wert passt nicht zum Datentyp der Spalte „" +
                                                 toUtf8(column.name) + "“ (" +
                                                 columnTypeName(column.typeCode) + ").");
}

std::optional<double> floatingOf(const Value& value) {
    if (auto* f = std::get_if<float>(&value)) return *f;
    if (auto* d = std::get_if<double>(&value)) return *d;
    if (auto* t = std::get_if<DateTime>(&value)) return t->days;
    if (auto* e = std::get_if<ExtendedDateTime>(&value); e && isExtendedDateInRange(*e))
        return jetDaysOf(*e);
    return std::nullopt;
}

// `v` * 10^scale rounded half to even, if it is a finite number inside int64.
std::optional<int64_t> roundedFloating(double v, uint8_t scale) {
    const long double scaled = std::nearbyint(static_cast<long double>(v) * std::pow(10.0L, scale));
    if (!std::isfinite(scaled) || scaled < -0x1p63L || scaled >= 0x1p63L) return std::nullopt;
    return static_cast<int64_t>(scaled);
}

// The whole number at `scale` (0 for integers, 4 for Currency units).
std::optional<int64_t> scaledInteger(const Value& value, uint8_t scale) {
    if (auto f = floatingOf(value)) return roundedFloating(*f, scale);
    auto x = exactOf(value);
    if (!x || !rescale(*x, scale)) return std::nullopt;
    return exactUnits(*x);
}

// The value of an integer alternative, which every integer column's rows hold.
std::optional<int64_t> plainInteger(const Value& value) {
    if (auto* i = std::get_if<int32_t>(&value)) return *i;
    if (auto* i = std::get_if<int16_t>(&value)) return *i;
    if (auto* i = std::get_if<uint8_t>(&value)) return *i;
    if (auto* i = std::get_if<int64_t>(&value)) return *i;
    return std::nullopt;
}

}  // namespace

bool booleanValue(const ColumnDef& column, const Value& value) {
    if (isNull(value)) return false;
    if (auto* b = std::get_if<bool>(&value)) return *b;
    if (auto f = floatingOf(value)) return *f != 0;
    if (auto x = exactOf(value)) return x->magnitude != 0;
    throwConversion(column);
}

int64_t integerValue(const ColumnDef& column, const Value& value, int64_t min, int64_t max) {
    auto v = plainInteger(value);
    if (!v) v = scaledInteger(value, 0);
    if (!v || *v < min || *v > max) throwConversion(column);
    return *v;
}

Currency currencyValue(const ColumnDef& column, const Value& value) {
    if (auto* c = std::get_if<Currency>(&value)) return *c;
    auto v = scaledInteger(value, kCurrencyScale);
    if (!v) throwConversion(column);
    return Currency{*v};
}

float singleValue(const ColumnDef& column, const Value& value) {
    if (auto* f = std::get_if<float>(&value)) return *f;
    return static_cast<float>(doubleValue(column, value));
}

double doubleValue(const ColumnDef& column, const Value& value) {
    if (auto f = floatingOf(value)) return *f;
    if (auto x = exactOf(value)) return exactToDouble(*x);
    throwConversion(column);
}

ExtendedDateTime extendedDateValue(const ColumnDef& column, const Value& value) {
    if (auto* e = std::get_if<ExtendedDateTime>(&value)) {
        if (!isExtendedDateInRange(*e)) throwConversion(column);
        return *e;
    }
    auto f = floatingOf(value);
    auto converted = f ? extendedDateFromJetDays(*f) : std::nullopt;
    if (!converted) throwConversion(column);
    return *converted;
}

Decimal decimalValue(const ColumnDef& column, const Value& value) {
    const uint8_t scale = std::min(column.scale, kMaxScale);
    std::optional<ExactNumber> x = exactOf(value);
    if (!x) {
        auto f = floatingOf(value);
        auto rounded = f ? roundedFloating(*f, scale) : std::nullopt;
        if (!rounded) throwConversion(column);
        x = exactFromInteger(*rounded, scale);
    }
    if (!rescale(*x, scale)) throwConversion(column);
    return exactToDecimal(*x);
}

Guid guidValue(const ColumnDef& column, const Value& value) {
    if (auto* g = std::get_if<Guid>(&value)) return *g;
    auto* b = std::get_if<Bytes>(&value);
    if (b == nullptr || b->size() != Guid{}.bytes.size()) throwConversion(column);
    Guid g;
    std::copy(b->begin(), b->end(), g.bytes.begin());
    return g;
}

Bytes binaryValue(const ColumnDef& column, const Value& value) {
    if (auto* b = std::get_if<Bytes>(&value)) return *b;
    if (auto* g = std::get_if<Guid>(&value)) return Bytes(g->bytes.begin(), g->bytes.end());
    throwConversion(column);
}

std::u16string textValue(const ColumnDef& column, const Value& value) {
    if (auto* s = std::get_if<std::u16string>(&value)) return *s;
    throwConversion(column);
}

}  // namespace jet
