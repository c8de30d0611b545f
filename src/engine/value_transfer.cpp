#include "engine/value_transfer.h"

#include <algorithm>
#include <limits>
#include <type_traits>

#include "jet/base/civil_calendar.h"
#include "jet/base/exact_number.h"
#include "jet/base/extended_date.h"
#include "jet/base/text.h"
#include "jet/dao/dao_recordset.h"

namespace engine {

namespace {

constexpr int64_t kEpochInAccessDays = 25569;  // 01.01.1970 counted from 30.12.1899

jet::Value wideInteger(int64_t v) {
    if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max()) {
        return static_cast<int32_t>(v);
    }
    return jet::exactToDecimal(jet::exactFromInteger(v));
}

jet::Value wideUnsigned(uint64_t v) {
    if (v <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
        return static_cast<int32_t>(v);
    }
    return jet::exactToDecimal(jet::ExactNumber{false, v, 0});
}

// The server values that become one of Jet's scalars, and which scalar each becomes. Any
// other kind matches the deleted template: it has no scalar (a BIGINT may need a Decimal).
struct ScalarOf {
    bool operator()(bool v) const { return v; }
    int16_t operator()(int8_t v) const { return v; }
    uint8_t operator()(uint8_t v) const { return v; }
    int16_t operator()(int16_t v) const { return v; }
    int32_t operator()(int32_t v) const { return v; }
    float operator()(float v) const { return v; }
    double operator()(double v) const { return v; }
    jet::DateTime operator()(const odbc::Date& v) const {
        return jet::DateTime{accessDays(v.year, v.month, v.day)};
    }
    jet::DateTime operator()(const odbc::Time& v) const {
        return jet::DateTime{dayFraction(v.hour, v.minute, v.second, v.nanoseconds)};
    }
    jet::DateTime operator()(const odbc::Timestamp& v) const {
        return jet::DateTime{
            accessDateTime(accessDays(v.year, v.month, v.day),
                           dayFraction(v.hour, v.minute, v.second, v.nanoseconds))};
    }
    template <typename Other>
    void operator()(const Other&) const = delete;
};

template <typename T>
concept HasScalar = requires(const T& v) {
    ScalarOf{}(v);
};

struct Converter {
    jet::Value operator()(const odbc::Null&) const { return jet::Null{}; }
    template <HasScalar T>
    jet::Value operator()(const T& v) const {
        return ScalarOf{}(v);
    }
    jet::Value operator()(int64_t v) const { return wideInteger(v); }
    jet::Value operator()(uint64_t v) const { return wideUnsigned(v); }
    jet::Value operator()(const odbc::Decimal& v) const { return jet::fromUtf8(v.text); }
    jet::Value operator()(const std::u16string& v) const { return v; }
    jet::Value operator()(const odbc::Bytes& v) const { return v; }
    jet::Value operator()(const odbc::Guid& v) const { return jet::Guid{v.bytes}; }
};

}  // namespace

double accessDays(int year, unsigned month, unsigned day) {
    return static_cast<double>(jet::daysFromCivil({year, month, day}) + kEpochInAccessDays);
}

double dayFraction(unsigned hour, unsigned minute, unsigned second, uint32_t nanoseconds) {
    const double seconds = hour * 3600.0 + minute * 60.0 + second + nanoseconds / 1e9;
    return seconds / 86400.0;
}

double accessDateTime(double days, double fraction) {
    return days < 0 ? days - fraction : days + fraction;
}

std::optional<jet::ExtendedDateTime> exactExtendedDate(const odbc::Timestamp& v) {
    constexpr uint32_t kNanosPerTick = 100;
    if (v.nanoseconds % kNanosPerTick != 0 || v.year < 1 || v.year > 9999) return std::nullopt;
    const int64_t day =
        jet::daysFromCivil({v.year, v.month, v.day}) + jet::extended_date::kUnixEpochDay;
    return jet::joinExtendedDate(
        {day, int64_t{v.hour} * 3600 + v.minute * 60 + v.second, v.nanoseconds / kNanosPerTick});
}

jet::Value toAccessValue(const odbc::Value& value) {
    return std::visit(Converter{}, value);
}

namespace {

// The buffer of type T in `out`, emptied; `out` is made to hold one if it holds another type.
template <typename T>
T& reusedBuffer(jet::Value& out) {
    if (auto* held = std::get_if<T>(&out)) return *held;
    return out.emplace<T>();
}

template <typename T>
void assignScalar(jet::Value& out, const T& value) {
    if (auto* held = std::get_if<T>(&out))
        *held = value;
    else
        out.emplace<T>(value);
}

bool isAscii(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

void assignAccessValue(const odbc::Value& value, jet::Value& out) {
    if (auto* text = std::get_if<std::u16string>(&value)) {
        reusedBuffer<std::u16string>(out).assign(*text);
    } else if (auto* decimal = std::get_if<odbc::Decimal>(&value);
               decimal && isAscii(decimal->text)) {
        // Widened in place: assign() from char iterators would build a temporary string.
        std::u16string& buffer = reusedBuffer<std::u16string>(out);
        buffer.resize(decimal->text.size());
        std::copy(decimal->text.begin(), decimal->text.end(), buffer.begin());
    } else if (auto* bytes = std::get_if<odbc::Bytes>(&value)) {
        reusedBuffer<jet::Bytes>(out).assign(bytes->begin(), bytes->end());
    } else if (odbc::isNull(value)) {
        assignScalar(out, jet::Null{});
    } else if (auto* i = std::get_if<int32_t>(&value)) {
        assignScalar(out, *i);
    } else if (auto* d = std::get_if<double>(&value)) {
        assignScalar(out, *d);
    } else if (auto* t = std::get_if<odbc::Timestamp>(&value)) {
        assignScalar(out, ScalarOf{}(*t));
    } else {
        out = std::visit(Converter{}, value);
    }
}

bool setFieldDirectly(const odbc::Value& value, jet::dao::RecordsetField& field) {
    return std::visit(
        [&field](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, odbc::Null>) {
                field.SetNull();
                return true;
            } else if constexpr (std::is_same_v<T, odbc::Decimal>) {
                if (!isAscii(v.text)) return false;
                field.SetNumberText(v.text);
                return true;
            } else if constexpr (HasScalar<T>) {
                field.SetScalar(ScalarOf{}(v));
                return true;
            } else {
                return false;
            }
        },
        value);
}

}  // namespace engine
