#include "jet/dao/field_value_conversion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>

#include "jet/base/code_page_text.h"
#include "jet/base/date_text.h"
#include "jet/base/errors.h"
#include "jet/base/exact_number.h"
#include "jet/base/extended_date.h"
#include "jet/base/guid_text.h"
#include "jet/base/number_text.h"
#include "jet/base/text.h"
#include "jet/table/long_value.h"

namespace jet {
namespace {

inline constexpr size_t kBytesPerChar = 2;  // text as binary data: UTF-16LE
// The smallest double that rounds to a float's infinity: FLT_MAX and half a unit of its last
// place.
inline constexpr double kSingleOverflow = 0x1.ffffffp+127;

inline constexpr std::array<std::u16string_view, 6> kTrueWords = {u"True", u"Wahr", u"Yes",
                                                                  u"Ja",   u"On",   u"Ein"};
inline constexpr std::array<std::u16string_view, 6> kFalseWords = {u"False", u"Falsch", u"No",
                                                                   u"Nein",  u"Off",    u"Aus"};

[[noreturn]] void throwConversionFailed() {
    throw Error(ErrorCode::ConversionFailed, "Datentypenkonvertierungsfehler.");
}

[[noreturn]] void throwNumericOverflow() {
    throw Error(ErrorCode::NumericOverflow, "Numerischer Feldüberlauf.");
}

[[noreturn]] void throwFieldTooSmall() {
    throw Error(ErrorCode::FieldTooSmall,
                "Das Feld ist zu klein für die Datenmenge, die Sie hinzufügen wollten. "
                "Versuchen Sie, weniger Daten einzufügen.");
}

[[noreturn]] void throwZeroLength(std::u16string_view field) {
    throw Error(ErrorCode::ZeroLengthNotAllowed,
                "Feld '" + toUtf8(field) + "' kann keine Zeichenfolge der Länge Null sein.");
}

[[noreturn]] void throwNotUpdatable() {
    throw Error(ErrorCode::FieldNotUpdatable, "Das Feld kann nicht aktualisiert werden.");
}

[[noreturn]] void throwUnknownType(std::u16string_view field) {
    throw Error(ErrorCode::NotSupported,
                "Der Datentyp des Feldes '" + toUtf8(field) + "' wird nicht unterstützt.");
}

std::u16string_view fieldName(const ColumnDef& column, const FieldRules& rules) {
    return rules.fieldName.empty() ? column.name : rules.fieldName;
}

// Single, Double and the dates as a double; callers that need a Single's own digits look
// first.
std::optional<double> floatingOf(const Value& value) {
    if (auto* f = std::get_if<float>(&value)) return *f;
    if (auto* d = std::get_if<double>(&value)) return *d;
    if (auto* t = std::get_if<DateTime>(&value)) return t->days;
    if (auto* e = std::get_if<ExtendedDateTime>(&value)) {
        if (!isExtendedDateInRange(*e)) throwNumericOverflow();
        return jetDaysOf(*e);
    }
    return std::nullopt;
}

double requireFinite(double v) {
    if (!std::isfinite(v)) throwNumericOverflow();
    return v;
}

NumberText numberFromText(std::u16string_view text, const ValueLocale& locale) {
    NumberText x;
    if (!parseNumberText(text, locale, x)) throwConversionFailed();
    return x;
}

// The decimal a value stands for: exact sources as they are, a Single or Double as the
// shortest decimal that reads back as it, text as it reads.
NumberText decimalOf(const Value& value, const ValueLocale& locale) {
    if (auto* f = std::get_if<float>(&value)) {
        return shortestDecimal(static_cast<float>(requireFinite(*f)));
    }
    if (auto d = floatingOf(value)) return shortestDecimal(requireFinite(*d));
    if (auto* s = std::get_if<std::u16string>(&value)) return numberFromText(*s, locale);
    throwConversionFailed();
}

ExactNumber exactAt(const Value& value, uint8_t scale, const ValueLocale& locale) {
    if (auto x = exactOf(value)) {
        if (!rescale(*x, scale)) throwNumericOverflow();
        return *x;
    }
    auto x = numberTextToExact(decimalOf(value, locale), scale);
    if (!x) throwNumericOverflow();
    return *x;
}

int64_t integerFor(const Value& value, int64_t min, int64_t max, const ValueLocale& locale) {
    const auto v = exactUnits(exactAt(value, 0, locale));
    if (!v || *v < min || *v > max) throwNumericOverflow();
    return *v;
}

// Below this, neighbouring doubles lie closer together than 1/10,000.
inline constexpr double kExactUnitsBelow = 1e11;

// The units of a Double whose shortest decimal has at most four places, as money mostly has,
// without working that decimal out. A whole number of units that reads back as the double is
// in its rounding interval, and below kExactUnitsBelow no other multiple of 1/10,000 is: so it
// is the shortest decimal (which has no more places). Nothing for any other double.
std::optional<int64_t> currencyUnitsOf(double d) {
    if (!(std::fabs(d) < kExactUnitsBelow)) return std::nullopt;
    const double units = std::nearbyint(d * 10000.0);
    if (units / 10000.0 != d) return std::nullopt;
    return static_cast<int64_t>(units);
}

// Integer digits a plain money text may have for plainCurrencyUnits(): its units then fit in
// 64 bits without a check.
inline constexpr size_t kPlainCurrencyDigits = 14;

// The units of a text such as "-1234.5" (a sign, digits, at most four places after a point),
// as an exact server value arrives: it reads the same in the invariant form as in every
// other, and needs no rounding. Nothing for any other text.
template <typename Char>
std::optional<int64_t> plainCurrencyUnits(std::basic_string_view<Char> text) {
    size_t at = 0;
    const bool negative = !text.empty() && text[0] == Char('-');
    if (negative) ++at;
    int64_t units = 0;
    size_t digits = 0;
    for (; at < text.size() && text[at] >= Char('0') && text[at] <= Char('9'); ++at, ++digits)
        units = units * 10 + (text[at] - Char('0'));
    if (digits == 0 || digits > kPlainCurrencyDigits) return std::nullopt;
    int places = 0;
    if (at < text.size() && text[at] == Char('.')) {
        for (++at; at < text.size() && text[at] >= Char('0') && text[at] <= Char('9');
             ++at, ++places) {
            if (places == decimal_format::kCurrencyScale) return std::nullopt;
            units = units * 10 + (text[at] - Char('0'));
        }
        if (places == 0) return std::nullopt;
    }
    if (at != text.size()) return std::nullopt;
    for (; places < decimal_format::kCurrencyScale; ++places) units *= 10;
    return negative ? -units : units;
}

Currency currencyFor(const Value& value, const ValueLocale& locale) {
    if (auto* d = std::get_if<double>(&value))
        if (auto units = currencyUnitsOf(*d)) return Currency{*units};
    if (auto* s = std::get_if<std::u16string>(&value))
        if (auto units = plainCurrencyUnits(std::u16string_view(*s))) return Currency{*units};
    const auto units = exactUnits(exactAt(value, decimal_format::kCurrencyScale, locale));
    if (!units) throwNumericOverflow();
    return Currency{*units};
}

Decimal decimalFor(const ColumnDef& column, const Value& value, const ValueLocale& locale) {
    using namespace decimal_format;
    const uint8_t scale = std::min(column.scale, kMaxScale);
    const unsigned precision = column.precision == 0 || column.precision > kMaxPrecision
                                   ? kMaxPrecision
                                   : column.precision;
    const ExactNumber x = exactAt(value, scale, locale);
    if (!fitsDigits(x.magnitude, precision)) throwNumericOverflow();
    return exactToDecimal(x);
}

double doubleFor(const Value& value, const ValueLocale& locale) {
    if (auto x = exactOf(value)) return exactToDouble(*x);
    if (auto d = floatingOf(value)) return requireFinite(*d);
    if (auto* s = std::get_if<std::u16string>(&value)) {
        const auto d = numberTextToDouble(numberFromText(*s, locale));
        if (!d) throwNumericOverflow();
        return *d;
    }
    throwConversionFailed();
}

float singleFor(const Value& value, const ValueLocale& locale) {
    if (auto* f = std::get_if<float>(&value)) return static_cast<float>(requireFinite(*f));
    if (auto* s = std::get_if<std::u16string>(&value)) {  // one rounding, not two
        const auto f = numberTextToFloat(numberFromText(*s, locale));
        if (!f) throwNumericOverflow();
        return *f;
    }
    if (auto x = exactOf(value)) {
        const float f = exactToFloat(*x);
        if (std::isinf(f)) throwNumericOverflow();
        return f;
    }
    const double d = doubleFor(value, locale);
    if (std::fabs(d) >= kSingleOverflow) throwNumericOverflow();
    return static_cast<float>(d);
}

bool booleanFromText(std::u16string_view text, const ValueLocale& locale) {
    text = trimWhiteSpace(text);
    const auto is = [text](std::u16string_view word) { return equalIgnoringCase(text, word); };
    if (is(locale.trueText) || std::any_of(kTrueWords.begin(), kTrueWords.end(), is)) {
        return true;
    }
    if (is(locale.falseText) || std::any_of(kFalseWords.begin(), kFalseWords.end(), is)) {
        return false;
    }
    return !numberFromText(text, locale).isZero();
}

bool booleanFor(const Value& value, const ValueLocale& locale) {
    if (auto* b = std::get_if<bool>(&value)) return *b;
    if (auto x = exactOf(value)) return x->magnitude != 0;
    if (auto d = floatingOf(value)) return requireFinite(*d) != 0;
    if (auto* s = std::get_if<std::u16string>(&value)) return booleanFromText(*s, locale);
    throwConversionFailed();
}

DateTime dateFor(const Value& value, const ValueLocale& locale) {
    if (auto* s = std::get_if<std::u16string>(&value)) {
        const auto days = parseDateText(*s, locale);
        if (!days) throwConversionFailed();
        return DateTime{*days};
    }
    const double days = doubleFor(value, locale);
    if (!isDateInRange(days)) throwNumericOverflow();
    return DateTime{days};
}

ExtendedDateTime extendedDateFor(const Value& value, const ValueLocale& locale) {
    if (auto* e = std::get_if<ExtendedDateTime>(&value)) {
        if (!isExtendedDateInRange(*e)) throwNumericOverflow();
        return *e;
    }
    if (auto* s = std::get_if<std::u16string>(&value)) {
        const auto date = parseExtendedDateText(*s, locale);
        if (!date) throwConversionFailed();
        return *date;
    }
    const auto date = extendedDateFromJetDays(doubleFor(value, locale));
    if (!date) throwNumericOverflow();
    return *date;
}

std::u16string textOfBytes(const Bytes& bytes) {
    if (bytes.size() % kBytesPerChar != 0) throwConversionFailed();
    std::u16string text(bytes.size() / kBytesPerChar, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return text;
}

std::u16string textFor(const Value& value, const ValueLocale& locale) {
    if (auto* s = std::get_if<std::u16string>(&value)) return *s;
    if (auto* b = std::get_if<bool>(&value)) return *b ? locale.trueText : locale.falseText;
    if (auto x = exactOf(value)) return formatExact(*x, locale);
    if (auto* f = std::get_if<float>(&value)) {
        if (!std::isfinite(*f)) throwConversionFailed();
        return formatSingle(*f, locale);
    }
    if (auto* d = std::get_if<double>(&value)) {
        if (!std::isfinite(*d)) throwConversionFailed();
        return formatDouble(*d, locale);
    }
    if (auto* t = std::get_if<DateTime>(&value)) {
        if (!isDateInRange(t->days)) throwConversionFailed();
        return formatDateText(t->days, locale);
    }
    if (auto* e = std::get_if<ExtendedDateTime>(&value)) {
        if (!isExtendedDateInRange(*e)) throwConversionFailed();
        return fromUtf8(formatExtendedDate(*e));
    }
    if (auto* g = std::get_if<Guid>(&value)) return formatGuidText(*g);
    if (auto* bytes = std::get_if<Bytes>(&value)) return textOfBytes(*bytes);
    throwConversionFailed();
}

bool isTextColumn(const ColumnDef& column) {
    return column.type() == ColumnType::Text || column.type() == ColumnType::Memo;
}

// Access 97 stores text in the file's code page: a character it lacks cannot be stored.
void checkEncodable(const ColumnDef& column, std::u16string_view text) {
    if (column.codePage == 0) return;
    if (auto bad = codePageText(column.codePage).findUnencodable(text))
        throw Error(ErrorCode::ConversionFailed, unencodableDescription(*bad, column.codePage));
}

void checkText(const ColumnDef& column, std::u16string_view text, const FieldRules& rules) {
    if (text.empty() && !rules.allowZeroLength) throwZeroLength(fieldName(column, rules));
    const size_t limitBytes = column.type() == ColumnType::Memo
                                  ? size_t{long_value_layout::kMaxWrittenLength}
                                  : size_t{column.length};
    if (text.size() > limitBytes / column.bytesPerCharacter()) throwFieldTooSmall();
    checkEncodable(column, text);
}

Value checkedText(const ColumnDef& column, std::u16string text, const FieldRules& rules) {
    checkText(column, text, rules);
    return text;
}

Bytes bytesFor(const Value& value) {
    if (auto* b = std::get_if<Bytes>(&value)) return *b;
    if (auto* s = std::get_if<std::u16string>(&value)) {
        Bytes bytes;
        bytes.reserve(s->size() * kBytesPerChar);
        for (char16_t c : *s) {
            bytes.push_back(static_cast<uint8_t>(c));
            bytes.push_back(static_cast<uint8_t>(c >> 8));
        }
        return bytes;
    }
    if (auto* g = std::get_if<Guid>(&value)) {
        const Guid stored = swapGuidByteOrder(*g);
        return Bytes(stored.bytes.begin(), stored.bytes.end());
    }
    throwConversionFailed();
}

Value checkedBytes(const ColumnDef& column, Bytes bytes) {
    const size_t limit = column.type() == ColumnType::OLE
                             ? size_t{long_value_layout::kMaxWrittenLength}
                             : size_t{column.length};
    if (bytes.size() > limit) throwFieldTooSmall();
    return bytes;
}

Guid guidFor(const Value& value) {
    if (auto* g = std::get_if<Guid>(&value)) return *g;
    if (auto* s = std::get_if<std::u16string>(&value)) {
        const auto g = parseGuidText(*s);
        if (!g) throwConversionFailed();
        return *g;
    }
    if (auto* b = std::get_if<Bytes>(&value); b != nullptr && b->size() == Guid{}.bytes.size()) {
        Guid stored;
        std::copy(b->begin(), b->end(), stored.bytes.begin());
        return swapGuidByteOrder(stored);
    }
    throwConversionFailed();
}

// Whether `column` keeps `v` as it is: it has the field's own stored type and passes the
// checks the general path would make. Rows mostly come this way.
bool takesAsItIs(const ColumnDef& column, bool) {
    return column.type() == ColumnType::Boolean;
}
bool takesAsItIs(const ColumnDef& column, uint8_t) {
    return column.type() == ColumnType::Byte;
}
bool takesAsItIs(const ColumnDef& column, int16_t) {
    return column.type() == ColumnType::Integer;
}
bool takesAsItIs(const ColumnDef& column, int32_t) {
    return column.type() == ColumnType::Long;
}
bool takesAsItIs(const ColumnDef& column, int64_t) {
    return column.type() == ColumnType::BigInt;
}
bool takesAsItIs(const ColumnDef& column, Currency) {
    return column.type() == ColumnType::Currency;
}
bool takesAsItIs(const ColumnDef& column, float v) {
    return column.type() == ColumnType::Single && std::isfinite(v);
}
bool takesAsItIs(const ColumnDef& column, double v) {
    return column.type() == ColumnType::Double && std::isfinite(v);
}
bool takesAsItIs(const ColumnDef& column, DateTime v) {
    return column.type() == ColumnType::DateTime && std::isfinite(v.days) && isDateInRange(v.days);
}
bool takesAsItIs(const ColumnDef& column, const ExtendedDateTime& v) {
    return column.type() == ColumnType::ExtendedDateTime && isExtendedDateInRange(v);
}
template <typename Other>
bool takesAsItIs(const ColumnDef&, const Other&) {
    return false;
}

// Calls `take` with `assigned` and returns true when the field keeps it as it is.
template <typename Take>
bool withOwnType(const ColumnDef& column, const Value& assigned, Take&& take) {
    return std::visit(
        [&](const auto& v) {
            if (!takesAsItIs(column, v)) return false;
            take(v);
            return true;
        },
        assigned);
}

// `slot = value`, with text the slot gives up kept in `spare`.
template <typename T>
void assignAlternative(Value& slot, const T& value, std::u16string& spare) {
    if (auto* same = std::get_if<T>(&slot)) {
        *same = value;
        return;
    }
    if (auto* held = std::get_if<std::u16string>(&slot)) spare = std::move(*held);
    slot.emplace<T>(value);
}

}  // namespace

Value convertForField(const ColumnDef& column, const Value& assigned, const FieldRules& rules) {
    if (isNull(assigned)) return Null{};
    if (column.isAutoNumber()) throwNotUpdatable();
    Value own;
    if (withOwnType(column, assigned, [&own](const auto& v) { own = v; })) return own;
    const ValueLocale& locale = rules.locale;
    switch (column.type()) {
        case ColumnType::Boolean:
            return booleanFor(assigned, locale);
        case ColumnType::Byte:
            return static_cast<uint8_t>(integerFor(assigned, 0, UINT8_MAX, locale));
        case ColumnType::Integer:
            return static_cast<int16_t>(integerFor(assigned, INT16_MIN, INT16_MAX, locale));
        case ColumnType::Long:
            return static_cast<int32_t>(integerFor(assigned, INT32_MIN, INT32_MAX, locale));
        case ColumnType::BigInt:
            return integerFor(assigned, INT64_MIN, INT64_MAX, locale);
        case ColumnType::Currency:
            return currencyFor(assigned, locale);
        case ColumnType::Single:
            return singleFor(assigned, locale);
        case ColumnType::Double:
            return doubleFor(assigned, locale);
        case ColumnType::DateTime:
            return dateFor(assigned, locale);
        case ColumnType::ExtendedDateTime:
            return extendedDateFor(assigned, locale);
        case ColumnType::Text:
        case ColumnType::Memo:
            return checkedText(column, textFor(assigned, locale), rules);
        case ColumnType::Binary:
        case ColumnType::OLE:
            return checkedBytes(column, bytesFor(assigned));
        case ColumnType::Guid:
            return guidFor(assigned);
        case ColumnType::Decimal:
            return decimalFor(column, assigned, locale);
        case ColumnType::Complex:  // an AutoNumber of ACE's own, refused above
            break;
    }
    throwUnknownType(fieldName(column, rules));
}

Value convertForField(const ColumnDef& column, Value&& assigned, const FieldRules& rules) {
    auto* text = std::get_if<std::u16string>(&assigned);
    if (text && isTextColumn(column)) return checkedText(column, std::move(*text), rules);
    return convertForField(column, std::as_const(assigned), rules);
}

namespace {

void assignToTextField(const ColumnDef& column, std::u16string_view text, const FieldRules& rules,
                       Value& slot, std::u16string& spare) {
    checkText(column, text, rules);
    if (auto* held = std::get_if<std::u16string>(&slot)) {
        held->assign(text);
    } else {
        spare.assign(text);
        slot = std::move(spare);
    }
}

}  // namespace

void assignForField(const ColumnDef& column, const Value& assigned, const FieldRules& rules,
                    Value& slot, std::u16string& spare) {
    auto* text = std::get_if<std::u16string>(&assigned);
    if (text && isTextColumn(column)) return assignToTextField(column, *text, rules, slot, spare);
    if (isNull(assigned)) return assignAlternative(slot, Null{}, spare);
    if (!column.isAutoNumber() &&
        withOwnType(column, assigned, [&](const auto& v) { assignAlternative(slot, v, spare); }))
        return;
    Value converted = convertForField(column, assigned, rules);
    if (auto* held = std::get_if<std::u16string>(&slot)) spare = std::move(*held);
    slot = std::move(converted);
}

namespace {

// The text `scratch` holds, made to hold one: its buffer is kept from call to call.
std::u16string& scratchText(Value& scratch) {
    if (auto* held = std::get_if<std::u16string>(&scratch)) return *held;
    return scratch.emplace<std::u16string>();
}

}  // namespace

template <typename T>
void assignScalarForField(const ColumnDef& column, const T& assigned, const FieldRules& rules,
                          Value& slot, std::u16string& spare) {
    if (column.isAutoNumber()) return assignForField(column, Value(assigned), rules, slot, spare);
    if (takesAsItIs(column, assigned)) return assignAlternative(slot, assigned, spare);
    if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>) {
        // An integer into Yes/No or a wider integer field, as the general path reads it but
        // without its exact decimal: 0 is No, any other Yes; outside a type's range goes on
        // to that path's error.
        const int64_t v = assigned;
        auto fits = [v](auto limit) {
            using Limit = decltype(limit);
            return v >= std::numeric_limits<Limit>::min() && v <= std::numeric_limits<Limit>::max();
        };
        switch (column.type()) {
            case ColumnType::Boolean:
                return assignAlternative(slot, v != 0, spare);
            case ColumnType::Byte:
                if (fits(uint8_t{})) return assignAlternative(slot, static_cast<uint8_t>(v), spare);
                break;
            case ColumnType::Integer:
                if (fits(int16_t{})) return assignAlternative(slot, static_cast<int16_t>(v), spare);
                break;
            case ColumnType::Long:
                if (fits(int32_t{})) return assignAlternative(slot, static_cast<int32_t>(v), spare);
                break;
            case ColumnType::BigInt:
                return assignAlternative(slot, v, spare);
            default:
                break;
        }
    }
    assignForField(column, Value(assigned), rules, slot, spare);
}

template void assignScalarForField(const ColumnDef&, const bool&, const FieldRules&, Value&,
                                   std::u16string&);
template void assignScalarForField(const ColumnDef&, const uint8_t&, const FieldRules&, Value&,
                                   std::u16string&);
template void assignScalarForField(const ColumnDef&, const int16_t&, const FieldRules&, Value&,
                                   std::u16string&);
template void assignScalarForField(const ColumnDef&, const int32_t&, const FieldRules&, Value&,
                                   std::u16string&);
template void assignScalarForField(const ColumnDef&, const float&, const FieldRules&, Value&,
                                   std::u16string&);
template void assignScalarForField(const ColumnDef&, const double&, const FieldRules&, Value&,
                                   std::u16string&);
template void assignScalarForField(const ColumnDef&, const DateTime&, const FieldRules&, Value&,
                                   std::u16string&);

void assignNumberTextForField(const ColumnDef& column, std::string_view ascii,
                              const FieldRules& rules, Value& slot, std::u16string& spare,
                              Value& scratch) {
    if (column.type() == ColumnType::Currency && !column.isAutoNumber())
        if (auto units = plainCurrencyUnits(ascii))
            return assignAlternative(slot, Currency{*units}, spare);
    std::u16string& text = scratchText(scratch);
    text.resize(ascii.size());
    std::copy(ascii.begin(), ascii.end(), text.begin());
    assignForField(column, scratch, rules, slot, spare);
}

void assignTextForField(const ColumnDef& column, std::u16string_view text, const FieldRules& rules,
                        Value& slot, std::u16string& spare, Value& scratch) {
    if (isTextColumn(column)) return assignToTextField(column, text, rules, slot, spare);
    scratchText(scratch).assign(text);
    assignForField(column, scratch, rules, slot, spare);
}

}  // namespace jet
