// Values assigned to fields: every field type's sources, the limits on either side, rounding
// halves, German and ISO text, and DAO's error numbers and texts.
#include "jet/dao/field_value_conversion.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "jet/base/errors.h"
#include "jet/base/exact_number.h"
#include "jet/base/text.h"

namespace jet {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

ColumnDef column(ColumnType type, uint16_t length = 0) {
    ColumnDef c;
    c.typeCode = static_cast<uint8_t>(type);
    c.length = length;
    c.name = u"Größe";
    return c;
}

ColumnDef decimalColumn(uint8_t precision, uint8_t scale) {
    ColumnDef c = column(ColumnType::Decimal, 17);
    c.precision = precision;
    c.scale = scale;
    return c;
}

Value convert(const ColumnDef& c, const Value& v, const FieldRules& rules = {}) {
    return convertForField(c, v, rules);
}
Value convert(ColumnType type, const Value& v) {
    return convert(column(type), v);
}

// The error the assignment raises; a failure when it raises none.
Error errorOf(const ColumnDef& c, const Value& v, const FieldRules& rules = {}) {
    try {
        convertForField(c, v, rules);
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error for " << columnTypeName(c.typeCode);
    return Error(ErrorCode::NotSupported, "");
}
int32_t errorNumber(ColumnType type, const Value& v) {
    return errorOf(column(type), v).number();
}

Value text(std::u16string_view s) {
    return std::u16string(s);
}

TEST(FieldValueConversion, NullAutoNumberAndUnknownTypes) {
    for (auto type : {ColumnType::Boolean, ColumnType::Long, ColumnType::Text, ColumnType::Guid,
                      ColumnType::Decimal, ColumnType::OLE}) {
        EXPECT_TRUE(isNull(convert(type, Null{})));
    }
    ColumnDef counter = column(ColumnType::Long);
    counter.flags = column_flag::kAutoLong;
    EXPECT_TRUE(isNull(convert(counter, Null{})));
    const Error e = errorOf(counter, int32_t{5});
    EXPECT_EQ(e.number(), 3164);
    EXPECT_EQ(e.description(), "Das Feld kann nicht aktualisiert werden.");
    ColumnDef replica = column(ColumnType::Guid);
    replica.flags = column_flag::kAutoGuid;
    EXPECT_EQ(errorOf(replica, Guid{}).number(), 3164);

    ColumnDef unknown = column(ColumnType::Long);
    unknown.typeCode = 18;
    const Error u = errorOf(unknown, int32_t{1});
    EXPECT_EQ(u.number(), 3251);
    EXPECT_EQ(u.description(), "Der Datentyp des Feldes 'Größe' wird nicht unterstützt.");
}

TEST(FieldValueConversion, IntegersRoundHalfToEvenAndCheckTheirRange) {
    EXPECT_EQ(convert(ColumnType::Byte, int32_t{255}), Value(uint8_t{255}));
    EXPECT_EQ(convert(ColumnType::Byte, 254.5), Value(uint8_t{254}));
    EXPECT_EQ(convert(ColumnType::Byte, -0.5), Value(uint8_t{0}));
    EXPECT_EQ(errorNumber(ColumnType::Byte, 255.5), 3349);  // rounds to 256
    EXPECT_EQ(errorNumber(ColumnType::Byte, int16_t{-1}), 3349);
    EXPECT_EQ(errorNumber(ColumnType::Byte, true), 3349);  // True is -1
    EXPECT_EQ(convert(ColumnType::Integer, true), Value(int16_t{-1}));
    EXPECT_EQ(convert(ColumnType::Integer, int32_t{-32768}), Value(int16_t{-32768}));
    EXPECT_EQ(errorNumber(ColumnType::Integer, int32_t{32768}), 3349);
    EXPECT_EQ(convert(ColumnType::Integer, 2.5), Value(int16_t{2}));
    EXPECT_EQ(convert(ColumnType::Integer, 3.5), Value(int16_t{4}));
    EXPECT_EQ(convert(ColumnType::Integer, -2.5), Value(int16_t{-2}));
    EXPECT_EQ(convert(ColumnType::Integer, 2.5000001), Value(int16_t{3}));
    EXPECT_EQ(convert(ColumnType::Long, 2147483647.4), Value(int32_t{INT32_MAX}));
    EXPECT_EQ(errorNumber(ColumnType::Long, 2147483647.5), 3349);
    EXPECT_EQ(convert(ColumnType::Long, -2147483648.5), Value(int32_t{INT32_MIN}));
    EXPECT_EQ(convert(ColumnType::Long, Currency{25000}), Value(int32_t{2}));
    EXPECT_EQ(convert(ColumnType::Long, Currency{35001}), Value(int32_t{4}));
    EXPECT_EQ(convert(ColumnType::Long, Decimal{true, 1, 0, 25}), Value(int32_t{-2}));
    EXPECT_EQ(convert(ColumnType::Long, DateTime{45657.75}), Value(int32_t{45658}));
    EXPECT_EQ(convert(ColumnType::Long, 1.5f), Value(int32_t{2}));
    EXPECT_EQ(errorNumber(ColumnType::Long, Decimal{false, 0, 1, 0}), 3349);
    for (double bad : {kNaN, kInf, -kInf}) EXPECT_EQ(errorNumber(ColumnType::Long, bad), 3349);
    EXPECT_EQ(errorNumber(ColumnType::Long, Guid{}), 3421);
    EXPECT_EQ(errorNumber(ColumnType::Long, Bytes{1}), 3421);
}

TEST(FieldValueConversion, NumbersFromGermanAndInvariantText) {
    EXPECT_EQ(convert(ColumnType::Long, text(u"  42\t")), Value(int32_t{42}));
    EXPECT_EQ(convert(ColumnType::Long, text(u"+7")), Value(int32_t{7}));
    EXPECT_EQ(convert(ColumnType::Long, text(u"2,5")), Value(int32_t{2}));
    EXPECT_EQ(convert(ColumnType::Long, text(u"-3,5")), Value(int32_t{-4}));
    EXPECT_EQ(convert(ColumnType::Long, text(u"1.234.567")), Value(int32_t{1234567}));
    EXPECT_EQ(convert(ColumnType::Double, text(u"1.234,5")), Value(1234.5));
    EXPECT_EQ(convert(ColumnType::Double, text(u"1234.5")), Value(1234.5));
    EXPECT_EQ(convert(ColumnType::Double, text(u"1.500")), Value(1.5));  // invariant first
    EXPECT_EQ(convert(ColumnType::Double, text(u"-1,5E-3")), Value(-0.0015));
    EXPECT_EQ(convert(ColumnType::Double, text(u",5")), Value(0.5));
    EXPECT_EQ(convert(ColumnType::Double, text(u"1e-400")), Value(0.0));
    EXPECT_EQ(errorNumber(ColumnType::Double, text(u"1e309")), 3349);
    for (auto garbage : {u"", u"   ", u"abc", u"12abc", u"1,2,3", u"1.23.4", u"1,500.5", u"--1",
                         u"1e", u"NaN", u"inf", u"١٢"}) {
        EXPECT_EQ(errorNumber(ColumnType::Double, text(garbage)), 3421) << toUtf8(garbage);
    }
    // Digits past what any type holds still round right.
    const std::u16string tiny = u"0," + std::u16string(900, u'0') + u"1";
    EXPECT_EQ(convert(ColumnType::Double, text(tiny)), Value(0.0));
    const std::u16string longOne = u"0,1" + std::u16string(900, u'0') + u"1";
    EXPECT_EQ(convert(ColumnType::Double, text(longOne)), Value(0.1));
    EXPECT_EQ(errorNumber(ColumnType::Decimal, text(u"1" + std::u16string(1000, u'0'))), 3349);

    FieldRules english;
    english.locale.decimalSeparator = u'.';
    english.locale.groupingSeparator = u',';
    EXPECT_EQ(convert(column(ColumnType::Double), text(u"1,234.5"), english), Value(1234.5));
    EXPECT_EQ(errorOf(column(ColumnType::Double), text(u"1,5"), english).number(), 3421);
}

TEST(FieldValueConversion, CurrencyLimitsAndDecimalsOfDoubles) {
    const auto currency = [](const Value& v) { return convert(ColumnType::Currency, v); };
    EXPECT_EQ(currency(text(u"922337203685477,5807")), Value(Currency{INT64_MAX}));
    EXPECT_EQ(currency(text(u"-922337203685477,5808")), Value(Currency{INT64_MIN}));
    EXPECT_EQ(errorNumber(ColumnType::Currency, text(u"922337203685477,5808")), 3349);
    EXPECT_EQ(errorNumber(ColumnType::Currency, 1e15), 3349);
    EXPECT_EQ(currency(0.1), Value(Currency{1000}));
    EXPECT_EQ(currency(1.00005), Value(Currency{10000}));  // half to even
    EXPECT_EQ(currency(1.00015), Value(Currency{10002}));
    EXPECT_EQ(currency(text(u"0,00005")), Value(Currency{0}));
    EXPECT_EQ(currency(text(u"0,000051")), Value(Currency{1}));
    EXPECT_EQ(currency(int32_t{INT32_MIN}), Value(Currency{int64_t{INT32_MIN} * 10000}));
    EXPECT_EQ(currency(true), Value(Currency{-10000}));
    EXPECT_EQ(currency(Decimal{false, 6, 0, 1234565}), Value(Currency{12346}));
    EXPECT_EQ(currency(0.1f), Value(Currency{1000}));  // the Single's own digits
}

TEST(FieldValueConversion, DoublesToCurrencyAsTheirShortestDecimalReads) {
    // Money with at most four places takes a quicker way than the shortest decimal: both must
    // agree for such values, their neighbours, more places, halves and large amounts.
    std::mt19937_64 random(11);
    const auto viaText = [](double d) {
        char digits[64];
        const auto end = std::to_chars(digits, digits + sizeof digits, d).ptr;
        return convert(ColumnType::Currency, fromUtf8(std::string(digits, end)));
    };
    for (int i = 0; i < 20000; ++i) {
        const int64_t units =
            static_cast<int64_t>(random() % 1800000000000000ull) - 900000000000000;
        const double scale = std::pow(10.0, static_cast<double>(random() % 6));
        for (double d : {static_cast<double>(units) / 10000.0, static_cast<double>(units) / scale,
                         std::nextafter(static_cast<double>(units) / 10000.0, 0.0),
                         (static_cast<double>(units) + 0.5) / 10000.0}) {
            ASSERT_EQ(convert(ColumnType::Currency, d), viaText(d)) << d;
        }
    }
}

TEST(FieldValueConversion, PlainMoneyTextsReadAsEveryOtherText) {
    // A plain text such as "-1234.5" takes a quicker way; with a space in front it takes the
    // general one. Both must agree, up to the limits of places and digits and past them.
    std::mt19937_64 random(12);
    const auto outcome = [](const std::u16string& t) -> std::string {
        try {
            return std::to_string(std::get<Currency>(convert(ColumnType::Currency, text(t))).units);
        } catch (const Error& e) {
            return "Fehler " + std::to_string(e.number());
        }
    };
    // A row loop's assignment takes the quicker way too.
    const auto assigned = [](const std::u16string& t) -> std::string {
        Value slot;
        std::u16string spare;
        try {
            assignForField(column(ColumnType::Currency), text(t), {}, slot, spare);
            return std::to_string(std::get<Currency>(slot).units);
        } catch (const Error& e) {
            return "Fehler " + std::to_string(e.number());
        }
    };
    // And so does a server's DECIMAL text, read where it lies.
    const auto fromAscii = [](const std::u16string& t) -> std::string {
        Value slot, scratch;
        std::u16string spare;
        try {
            assignNumberTextForField(column(ColumnType::Currency), toUtf8(t), {}, slot, spare,
                                     scratch);
            return std::to_string(std::get<Currency>(slot).units);
        } catch (const Error& e) {
            return "Fehler " + std::to_string(e.number());
        }
    };
    for (int i = 0; i < 20000; ++i) {
        std::u16string t = random() % 3 == 0 ? u"-" : u"";
        const int digits = static_cast<int>(random() % 17);
        for (int d = 0; d < digits; ++d) t += static_cast<char16_t>(u'0' + random() % 10);
        if (random() % 4 != 0) {
            t += u'.';
            const int places = static_cast<int>(random() % 7);
            for (int d = 0; d < places; ++d) t += static_cast<char16_t>(u'0' + random() % 10);
        }
        ASSERT_EQ(outcome(t), outcome(u" " + t)) << toUtf8(t);
        ASSERT_EQ(assigned(t), outcome(u" " + t)) << toUtf8(t);
        ASSERT_EQ(fromAscii(t), outcome(u" " + t)) << toUtf8(t);
    }
    EXPECT_EQ(outcome(u"99999999999999.9999"), "999999999999999999");
    EXPECT_EQ(outcome(u"-0.0001"), "-1");
    EXPECT_EQ(outcome(u"12.34567"), "123457");
}

TEST(FieldValueConversion, DecimalScaleAndPrecision) {
    const ColumnDef money = decimalColumn(5, 2);  // -999.99 .. 999.99
    EXPECT_EQ(convert(money, text(u"999,99")), Value(Decimal{false, 2, 0, 99999}));
    EXPECT_EQ(convert(money, text(u"999,994")), Value(Decimal{false, 2, 0, 99999}));
    EXPECT_EQ(errorOf(money, text(u"999,995")).number(), 3349);  // rounds to 1000,00
    EXPECT_EQ(errorOf(money, int32_t{1000}).number(), 3349);
    EXPECT_EQ(convert(money, 2.675), Value(Decimal{false, 2, 0, 268}));
    EXPECT_EQ(convert(money, 2.665), Value(Decimal{false, 2, 0, 266}));
    EXPECT_EQ(convert(money, text(u"-0,004")), Value(Decimal{false, 2, 0, 0}));
    EXPECT_EQ(convert(money, Currency{-12345}), Value(Decimal{true, 2, 0, 123}));
    EXPECT_EQ(convert(money, uint8_t{7}), Value(Decimal{false, 2, 0, 700}));

    const ColumnDef wide = decimalColumn(28, 0);
    const std::u16string nines(28, u'9');
    const Decimal max = std::get<Decimal>(convert(wide, text(nines)));
    Magnitude tenTo28 = 1;
    for (int i = 0; i < 28; ++i) tenTo28 *= 10;
    EXPECT_TRUE((Magnitude{max.high} << 64 | max.low) == tenTo28 - 1);
    EXPECT_EQ(errorOf(wide, text(nines + u"9")).number(), 3349);
    EXPECT_EQ(errorOf(decimalColumn(0, 0), text(nines + u"9")).number(), 3349);
    EXPECT_EQ(errorOf(wide, kNaN).number(), 3349);
    EXPECT_EQ(convert(decimalColumn(18, 10), 0.1), Value(Decimal{false, 10, 0, 1000000000}));
}

TEST(FieldValueConversion, SingleAndDouble) {
    EXPECT_EQ(convert(ColumnType::Single, double{FLT_MAX}), Value(FLT_MAX));
    EXPECT_EQ(convert(ColumnType::Single, 3.4028235e38), Value(FLT_MAX));
    EXPECT_EQ(errorNumber(ColumnType::Single, 3.5e38), 3349);
    EXPECT_EQ(errorNumber(ColumnType::Single, -1e39), 3349);
    EXPECT_EQ(errorNumber(ColumnType::Single, text(u"1E39")), 3349);
    EXPECT_EQ(convert(ColumnType::Single, text(u"0,1")), Value(0.1f));
    EXPECT_EQ(convert(ColumnType::Single, Decimal{false, 1, 0, 1}), Value(0.1f));
    EXPECT_EQ(convert(ColumnType::Single, 1e-50), Value(0.0f));
    EXPECT_EQ(errorNumber(ColumnType::Single, std::numeric_limits<float>::quiet_NaN()), 3349);
    EXPECT_EQ(convert(ColumnType::Double, Decimal{false, 1, 0, 1}), Value(0.1));
    EXPECT_EQ(convert(ColumnType::Double, Currency{12345678}), Value(1234.5678));
    EXPECT_EQ(convert(ColumnType::Double, 0.1f), Value(double{0.1f}));
    EXPECT_EQ(convert(ColumnType::Double, DateTime{-1.25}), Value(-1.25));
    EXPECT_EQ(convert(ColumnType::Double, text(u"1,7976931348623157E+308")), Value(DBL_MAX));
    for (double bad : {kNaN, kInf}) EXPECT_EQ(errorNumber(ColumnType::Double, bad), 3349);
}

TEST(FieldValueConversion, YesNo) {
    EXPECT_EQ(convert(ColumnType::Boolean, int32_t{0}), Value(false));
    EXPECT_EQ(convert(ColumnType::Boolean, uint8_t{2}), Value(true));
    EXPECT_EQ(convert(ColumnType::Boolean, -0.0), Value(false));
    EXPECT_EQ(convert(ColumnType::Boolean, 0.001), Value(true));
    EXPECT_EQ(convert(ColumnType::Boolean, Decimal{true, 4, 0, 0}), Value(false));
    for (auto yes : {u"True", u"wahr", u" JA ", u"Yes", u"on", u"Ein", u"-1", u"0,5"}) {
        EXPECT_EQ(convert(ColumnType::Boolean, text(yes)), Value(true)) << toUtf8(yes);
    }
    for (auto no : {u"FALSE", u"Falsch", u"nein", u"No", u"Off", u"aus", u"0", u"0,00"}) {
        EXPECT_EQ(convert(ColumnType::Boolean, text(no)), Value(false)) << toUtf8(no);
    }
    EXPECT_EQ(errorNumber(ColumnType::Boolean, text(u"vielleicht")), 3421);
    EXPECT_EQ(errorNumber(ColumnType::Boolean, text(u"")), 3421);
    EXPECT_EQ(errorNumber(ColumnType::Boolean, kNaN), 3349);
    EXPECT_EQ(errorNumber(ColumnType::Boolean, Bytes{}), 3421);
}

TEST(FieldValueConversion, TextFromValuesAsGermanCStr) {
    const auto str = [](const Value& v) {
        return toUtf8(std::get<std::u16string>(convert(column(ColumnType::Memo), v)));
    };
    EXPECT_EQ(str(int32_t{-2147483647 - 1}), "-2147483648");
    EXPECT_EQ(str(uint8_t{0}), "0");
    EXPECT_EQ(str(1.5), "1,5");
    EXPECT_EQ(str(1.0 / 3), "0,333333333333333");
    EXPECT_EQ(str(123456789012345.0), "123456789012345");
    EXPECT_EQ(str(1e15), "1E+15");
    EXPECT_EQ(str(-1234567890123456789.0), "-1,23456789012346E+18");
    EXPECT_EQ(str(0.0001), "0,0001");
    EXPECT_EQ(str(0.00001), "1E-05");
    EXPECT_EQ(str(-0.0), "0");
    EXPECT_EQ(str(0.1f), "0,1");
    EXPECT_EQ(str(Currency{15000}), "1,5");
    EXPECT_EQ(str(Currency{-1}), "-0,0001");
    EXPECT_EQ(str(Currency{INT64_MIN}), "-922337203685477,5808");
    EXPECT_EQ(str(Decimal{false, 2, 0, 150}), "1,5");
    EXPECT_EQ(str(Decimal{true, 3, 0, 5}), "-0,005");
    EXPECT_EQ(str(true), "Wahr");
    EXPECT_EQ(str(false), "Falsch");
    EXPECT_EQ(str(DateTime{45657.999988425923}), "31.12.2024 23:59:59");
    EXPECT_EQ(str(DateTime{45657}), "31.12.2024");
    EXPECT_EQ(str(DateTime{0.354166666666667}), "08:30:00");
    EXPECT_EQ(str(DateTime{0}), "00:00:00");
    EXPECT_EQ(str(DateTime{-1.25}), "29.12.1899 06:00:00");
    EXPECT_EQ(str(DateTime{-657434}), "01.01.0100");
    EXPECT_EQ(str(DateTime{1.9999999}), "01.01.1900");  // rounds to the next midnight
    EXPECT_EQ(str(Guid{{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB,
                        0xCC, 0xDD, 0xEE, 0xFF}}),
              "{00112233-4455-6677-8899-AABBCCDDEEFF}");
    EXPECT_EQ(str(Bytes{0x41, 0x00, 0xE4, 0x00}), "Aä");
    EXPECT_EQ(errorNumber(ColumnType::Memo, Bytes{0x41}), 3421);
    EXPECT_EQ(errorNumber(ColumnType::Memo, kNaN), 3421);
    EXPECT_EQ(errorNumber(ColumnType::Memo, DateTime{3e6}), 3421);

    FieldRules us;
    us.allowZeroLength = true;
    us.locale = {u'.', u',', u'/', DateOrder::MonthDayYear, u"True", u"False"};
    const ColumnDef memo = column(ColumnType::Memo);
    EXPECT_EQ(convert(memo, 1.5, us), Value(text(u"1.5")));
    EXPECT_EQ(convert(memo, true, us), Value(text(u"True")));
    EXPECT_EQ(convert(memo, DateTime{45657.25}, us), Value(text(u"12/31/2024 06:00:00")));
}

TEST(FieldValueConversion, TextLengthAndZeroLength) {
    const ColumnDef name = column(ColumnType::Text, 20);  // 10 characters
    FieldRules rules;
    EXPECT_EQ(convert(name, text(u"Müßiggäng!"), rules), Value(text(u"Müßiggäng!")));
    const Error tooLong = errorOf(name, text(u"Müßiggänger"), rules);
    EXPECT_EQ(tooLong.number(), 3163);
    EXPECT_EQ(tooLong.description(),
              "Das Feld ist zu klein für die Datenmenge, die Sie hinzufügen wollten. Versuchen "
              "Sie, weniger Daten einzufügen.");
    EXPECT_EQ(errorOf(name, text(u"123456789😀"), rules).number(), 3163);  // 11 code units
    EXPECT_EQ(errorOf(name, 1234567.8901, rules).number(), 3163);         // "1234567,8901"
    EXPECT_EQ(convert(name, text(u"  "), rules), Value(text(u"  ")));     // kept as it is

    const Error empty = errorOf(name, text(u""), rules);
    EXPECT_EQ(empty.number(), 3315);
    EXPECT_EQ(empty.description(), "Feld 'Größe' kann keine Zeichenfolge der Länge Null sein.");
    rules.fieldName = u"Kunden.Straße";
    EXPECT_EQ(errorOf(column(ColumnType::Memo), Bytes{}, rules).description(),
              "Feld 'Kunden.Straße' kann keine Zeichenfolge der Länge Null sein.");
    rules.allowZeroLength = true;
    EXPECT_EQ(convert(name, text(u""), rules), Value(text(u"")));

    const std::u16string huge(5'000'000, u'ä');
    EXPECT_EQ(convert(column(ColumnType::Memo), text(huge), rules), Value(text(huge)));
}

TEST(FieldValueConversion, DatesFromTextAndNumbers) {
    const auto days = [](std::u16string_view s) {
        return std::get<DateTime>(convert(ColumnType::DateTime, text(s))).days;
    };
    EXPECT_EQ(days(u"2024-12-31"), 45657);
    EXPECT_EQ(days(u"31.12.2024"), 45657);
    EXPECT_EQ(days(u" 1.1.2025 "), 45658);
    EXPECT_EQ(days(u"31.12.24"), 45657);
    EXPECT_EQ(days(u"01.01.30"), days(u"1930-01-01"));
    EXPECT_EQ(days(u"31.12.29"), days(u"2029-12-31"));
    EXPECT_EQ(days(u"2024-12-31 06:00"), 45657.25);
    EXPECT_EQ(days(u"2024-12-31T18:00:00"), 45657.75);
    EXPECT_EQ(days(u"31.12.2024  18:00:00"), 45657.75);
    EXPECT_EQ(days(u"2024-12-31 00:00:00.5"), 45657 + 0.5 / 86400);
    EXPECT_EQ(days(u"00:00:01,5"), 1.5 / 86400);
    EXPECT_EQ(days(u"6:00"), 0.25);
    EXPECT_EQ(days(u"1899-12-29 06:00"), -1.25);  // Jet's convention before 1899-12-30
    EXPECT_EQ(days(u"0100-01-01"), -657434);
    EXPECT_EQ(days(u"9999-12-31 23:59:59"), 2958465 + 86399.0 / 86400);
    EXPECT_EQ(days(u"29.02.2024"), 45351);
    for (auto bad : {u"29.02.2023", u"31.04.2024", u"0099-12-31", u"10000-01-01", u"24:00",
                     u"12:60", u"12:5", u"45000", u"12.05", u"2024-12-31T", u"31.12.2024T06:00",
                     u"2024/12/31", u"morgen", u"2024-12-31Z", u""}) {
        EXPECT_EQ(errorNumber(ColumnType::DateTime, text(bad)), 3421) << toUtf8(bad);
    }
    EXPECT_EQ(convert(ColumnType::DateTime, 45657.5), Value(DateTime{45657.5}));
    EXPECT_EQ(convert(ColumnType::DateTime, true), Value(DateTime{-1}));
    EXPECT_EQ(convert(ColumnType::DateTime, Currency{10000}), Value(DateTime{1}));
    EXPECT_EQ(convert(ColumnType::DateTime, DateTime{-657434.5}), Value(DateTime{-657434.5}));
    for (double out : {2958466.0, -657435.0, 3e6, kNaN, kInf}) {
        EXPECT_EQ(errorNumber(ColumnType::DateTime, out), 3349) << out;
        EXPECT_EQ(errorNumber(ColumnType::DateTime, DateTime{out}), 3349) << out;
    }
    EXPECT_EQ(errorNumber(ColumnType::DateTime, Guid{}), 3421);

    FieldRules us;
    us.locale.dateSeparator = u'/';
    us.locale.dateOrder = DateOrder::MonthDayYear;
    EXPECT_EQ(convert(column(ColumnType::DateTime), text(u"12/31/2024"), us),
              Value(DateTime{45657}));
    EXPECT_EQ(errorOf(column(ColumnType::DateTime), text(u"31/12/2024"), us).number(), 3421);
}

TEST(FieldValueConversion, BinaryAndOle) {
    const ColumnDef binary = column(ColumnType::Binary, 4);
    EXPECT_EQ(convert(binary, Bytes{1, 2, 3, 4}), Value(Bytes{1, 2, 3, 4}));
    EXPECT_EQ(errorOf(binary, Bytes{1, 2, 3, 4, 5}).number(), 3163);
    EXPECT_EQ(convert(binary, text(u"Aä")), Value(Bytes{0x41, 0x00, 0xE4, 0x00}));
    EXPECT_EQ(errorOf(binary, text(u"Aä€")).number(), 3163);
    EXPECT_EQ(errorOf(binary, int32_t{1}).number(), 3421);
    EXPECT_EQ(errorOf(binary, true).number(), 3421);
    const Guid g{{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC,
                  0xDD, 0xEE, 0xFF}};
    EXPECT_EQ(convert(ColumnType::OLE, g),
              Value(Bytes{0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66, 0x88, 0x99, 0xAA, 0xBB,
                          0xCC, 0xDD, 0xEE, 0xFF}));
    const Bytes big(3'000'000, 0xAB);
    EXPECT_EQ(convert(ColumnType::OLE, big), Value(big));
    EXPECT_EQ(convert(ColumnType::OLE, Bytes{}), Value(Bytes{}));
}

TEST(FieldValueConversion, Guids) {
    const Guid g{{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC,
                  0xDD, 0xEE, 0xFF}};
    for (auto form :
         {u"{00112233-4455-6677-8899-AABBCCDDEEFF}", u"00112233-4455-6677-8899-aabbccddeeff",
          u" {guid {00112233-4455-6677-8899-AABBCCDDEEFF}} "}) {
        EXPECT_EQ(convert(ColumnType::Guid, text(form)), Value(g)) << toUtf8(form);
    }
    for (auto bad :
         {u"", u"{00112233-4455-6677-8899-AABBCCDDEEFF", u"00112233445566778899AABBCCDDEEFF",
          u"00112233-4455-6677-8899-AABBCCDDEEFG", u"0011223-34455-6677-8899-AABBCCDDEEFF"}) {
        EXPECT_EQ(errorNumber(ColumnType::Guid, text(bad)), 3421) << toUtf8(bad);
    }
    EXPECT_EQ(convert(ColumnType::Guid, Bytes{0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66, 0x88,
                                              0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}),
              Value(g));
    EXPECT_EQ(errorNumber(ColumnType::Guid, Bytes(15, 0)), 3421);
    EXPECT_EQ(errorNumber(ColumnType::Guid, int32_t{1}), 3421);
    const Value asText = convert(ColumnDef(column(ColumnType::Text, 76)), g);
    EXPECT_EQ(convert(ColumnType::Guid, asText), Value(g));
}

// A server's BIGINT arrives exactly, whether it comes as an integer, a Decimal or text; only
// what passes 64 bits is an overflow.
TEST(FieldValueConversion, BigIntTakesSixtyFourBitsExactly) {
    const int64_t twoTo53Plus1 = 9007199254740993;
    EXPECT_EQ(convert(ColumnType::BigInt, exactToDecimal(exactFromInteger(twoTo53Plus1))),
              Value(twoTo53Plus1));
    EXPECT_EQ(convert(ColumnType::BigInt, text(u"-9223372036854775808")),
              Value(std::numeric_limits<int64_t>::min()));
    EXPECT_EQ(convert(ColumnType::BigInt, int32_t{-7}), Value(int64_t{-7}));
    EXPECT_EQ(convert(ColumnType::BigInt, 2.5), Value(int64_t{2}));  // half to even
    EXPECT_EQ(errorNumber(ColumnType::BigInt, text(u"9223372036854775808")), 3349);
    EXPECT_EQ(errorNumber(ColumnType::BigInt, 9.3e18), 3349);
    EXPECT_EQ(errorNumber(ColumnType::BigInt, Guid{}), 3421);
    // Back to text exactly, and into a Long only when it fits.
    EXPECT_EQ(convert(column(ColumnType::Text, 100), int64_t{twoTo53Plus1}),
              Value(text(u"9007199254740993")));
    EXPECT_EQ(errorNumber(ColumnType::Long, int64_t{1} << 31), 3349);
}

// An extended date takes the 100 ns of ISO text and of its own values; Jet's dates and
// numbers of days come to the microsecond.
TEST(FieldValueConversion, ExtendedDateTimeKeepsHundredNanoseconds) {
    const ColumnDef c = column(ColumnType::ExtendedDateTime, 42);
    const auto ticks = [&](const Value& v) {
        return std::get<ExtendedDateTime>(convert(c, v)).ticks;
    };
    const int64_t leapNoon = (738944LL * 86400 + 12 * 3600) * 10'000'000;
    EXPECT_EQ(ticks(text(u"2024-02-29 12:00:00.0000001")), leapNoon + 1);
    EXPECT_EQ(ticks(text(u"29.02.2024 12:00")), leapNoon);
    EXPECT_EQ(ticks(DateTime{45351.5}), leapNoon);
    EXPECT_EQ(ticks(45351.5), leapNoon);
    EXPECT_EQ(ticks(text(u"0001-01-01")), 0);
    EXPECT_EQ(errorOf(c, text(u"kein Datum")).number(), 3421);
    EXPECT_EQ(errorOf(c, ExtendedDateTime{-1}).number(), 3349);
    EXPECT_EQ(errorOf(c, 3e6).number(), 3349);
    // A Date/Time field takes it as Jet's days; a Text field as ISO text with seven places.
    EXPECT_EQ(convert(ColumnType::DateTime, ExtendedDateTime{leapNoon}), Value(DateTime{45351.5}));
    EXPECT_EQ(convert(column(ColumnType::Text, 100), ExtendedDateTime{leapNoon + 1}),
              Value(text(u"2024-02-29 12:00:00.0000001")));
}

// A scalar handed over as it is ends exactly as the same value through a Value: the same
// stored value, or the same error with the slot unchanged.
template <typename T>
void expectScalarAsValue(const ColumnDef& c, const T& scalar) {
    SCOPED_TRACE(std::string(columnTypeName(c.typeCode)) + " <- " +
                 std::to_string(Value(scalar).index()));
    std::optional<Value> expected;
    int32_t expectedError = 0;
    try {
        expected = convertForField(c, Value(scalar), {});
    } catch (const Error& e) {
        expectedError = e.number();
    }
    Value slot = text(u"vorher, lang genug für den Heap");
    std::u16string spare;
    try {
        assignScalarForField(c, scalar, {}, slot, spare);
        ASSERT_TRUE(expected.has_value()) << "no error " << expectedError;
        EXPECT_EQ(slot, *expected);
        EXPECT_EQ(spare, u"vorher, lang genug für den Heap");  // the buffer is kept
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), expectedError);
        EXPECT_EQ(slot, text(u"vorher, lang genug für den Heap"));
    }
}

TEST(FieldValueConversion, ScalarsHandedOverAsTheyAreEndAsThroughAValue) {
    std::vector<ColumnDef> columns;
    for (ColumnType type :
         {ColumnType::Boolean, ColumnType::Byte, ColumnType::Integer, ColumnType::Long,
          ColumnType::BigInt, ColumnType::Currency, ColumnType::Single, ColumnType::Double,
          ColumnType::DateTime, ColumnType::ExtendedDateTime, ColumnType::Memo, ColumnType::Guid,
          ColumnType::Binary})
        columns.push_back(column(type, 16));
    columns.push_back(column(ColumnType::Text, 8));  // four characters
    columns.push_back(decimalColumn(5, 2));
    ColumnDef autoNumber = column(ColumnType::Long);
    autoNumber.flags = column_flag::kAutoLong;
    columns.push_back(autoNumber);

    for (const ColumnDef& c : columns) {
        for (bool v : {true, false}) expectScalarAsValue(c, v);
        for (uint8_t v : {uint8_t{0}, uint8_t{255}}) expectScalarAsValue(c, v);
        for (int16_t v : {int16_t{-32768}, int16_t{-1}, int16_t{300}}) expectScalarAsValue(c, v);
        for (int32_t v : {INT32_MIN, 0, 70000, INT32_MAX}) expectScalarAsValue(c, v);
        for (float v : {1.5f, -0.1f, FLT_MAX, float(kNaN), float(kInf)}) expectScalarAsValue(c, v);
        for (double v : {0.1, -2.5, 123456.785, 1e300, -kInf, kNaN}) expectScalarAsValue(c, v);
        for (double days : {40000.5, -1.25, 2958465.99, 2958466.0, -657435.0, -657434.0, kNaN})
            expectScalarAsValue(c, DateTime{days});
    }
}

}  // namespace
}  // namespace jet
