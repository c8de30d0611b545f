#include "jet/index_value_conversion.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "jet/errors.h"
#include "jet/text.h"

namespace jet {
namespace {

inline constexpr uint8_t kCurrencyScale = 4;
inline constexpr uint8_t kMaxDecimalScale = 28;

__extension__ typedef unsigned __int128 Magnitude;

// An exact number: magnitude / 10^scale with a sign.
struct Exact {
    bool negative = false;
    Magnitude magnitude = 0;
    uint8_t scale = 0;
};

[[noreturn]] void throwConversion(const ColumnDef& column) {
    throw Error(ErrorCode::ConversionFailed, "Der Wert passt nicht zum Datentyp der Spalte „" +
                                       toUtf8(column.name) + "“ (" +
                                       columnTypeName(column.typeCode) + ").");
}

Exact fromSigned(int64_t v, uint8_t scale) {
    const bool negative = v < 0;
    const uint64_t magnitude =
        negative ? uint64_t{0} - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    return {negative, magnitude, scale};
}

std::optional<Exact> exactOf(const Value& value) {
    if (auto* b = std::get_if<bool>(&value)) return fromSigned(*b ? -1 : 0, 0);  // True is -1
    if (auto* u = std::get_if<uint8_t>(&value)) return fromSigned(*u, 0);
    if (auto* i = std::get_if<int16_t>(&value)) return fromSigned(*i, 0);
    if (auto* l = std::get_if<int32_t>(&value)) return fromSigned(*l, 0);
    if (auto* c = std::get_if<Currency>(&value)) return fromSigned(c->units, kCurrencyScale);
    if (auto* d = std::get_if<Decimal>(&value)) {
        return Exact{d->negative, Magnitude{d->high} << 64 | d->low, d->scale};
    }
    return std::nullopt;
}

std::optional<double> floatingOf(const Value& value) {
    if (auto* f = std::get_if<float>(&value)) return *f;
    if (auto* d = std::get_if<double>(&value)) return *d;
    if (auto* t = std::get_if<DateTime>(&value)) return t->days;
    return std::nullopt;
}

// Moves `x` to `scale`, rounding half to even; false when the magnitude overflows.
bool rescale(Exact& x, uint8_t scale) {
    constexpr Magnitude kMax = ~Magnitude{0};
    for (; x.scale < scale; ++x.scale) {
        if (x.magnitude > kMax / 10) return false;
        x.magnitude *= 10;
    }
    bool dropped = false;  // any non-zero digit below the last one dropped
    unsigned last = 0;
    for (; x.scale > scale; --x.scale) {
        dropped = dropped || last != 0;
        last = static_cast<unsigned>(x.magnitude % 10);
        x.magnitude /= 10;
    }
    if (last > 5 || (last == 5 && (dropped || (x.magnitude & 1) != 0))) ++x.magnitude;
    return true;
}

double toDouble(const Exact& x) {
    const long double magnitude = static_cast<long double>(x.magnitude);
    const long double v = magnitude / std::pow(10.0L, static_cast<long double>(x.scale));
    return static_cast<double>(x.negative ? -v : v);
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
    const Magnitude limit = Magnitude{1} << 63;
    if (x->magnitude > limit || (!x->negative && x->magnitude == limit)) return std::nullopt;
    const auto m = static_cast<uint64_t>(x->magnitude);
    return x->negative ? static_cast<int64_t>(uint64_t{0} - m) : static_cast<int64_t>(m);
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
    auto v = scaledInteger(value, 0);
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
    if (auto x = exactOf(value)) return toDouble(*x);
    throwConversion(column);
}

Decimal decimalValue(const ColumnDef& column, const Value& value) {
    const uint8_t scale = std::min(column.scale, kMaxDecimalScale);
    std::optional<Exact> x = exactOf(value);
    if (!x) {
        auto f = floatingOf(value);
        auto rounded = f ? roundedFloating(*f, scale) : std::nullopt;
        if (!rounded) throwConversion(column);
        x = fromSigned(*rounded, scale);
    }
    if (!rescale(*x, scale)) throwConversion(column);
    return Decimal{x->negative && x->magnitude != 0, scale,
                   static_cast<uint64_t>(x->magnitude >> 64), static_cast<uint64_t>(x->magnitude)};
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
