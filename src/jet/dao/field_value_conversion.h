// The value a field takes when one is assigned to it (DAO's rs.Fields(name).Value = v): the
// assigned value converted to the field's stored type by the rules of DAO and VBA's "Let", or
// DAO's error.
//
// What each field type takes (the result is the alternative of Value the row decoder gives):
//   every type   NULL stays NULL; Required is checked when the row is saved. An AutoNumber
//                field takes nothing else (3164).
//   Yes/No       numbers (0 is No, any other Yes); text: True/False, Wahr/Falsch, Yes/No,
//                Ja/Nein, On/Off, Ein/Aus (any case), the locale's words, or a number.
//   Byte, Integer, Long, Currency, Decimal
//                numbers of every type, Yes/No (True is -1), dates (their days) and text that
//                reads as a number (number_text.h: invariant form first, then the locale's).
//                Fractions round half to even (VBA's CInt, CLng, CCur); a Single or Double
//                counts as the shortest decimal that reads back as it, so 0.1 is exactly 0.1
//                and 2.675 rounds to 2.68. Outside the type's range (Byte 0..255, Integer,
//                Long, Currency -922337203685477.5808..922337203685477.5807, Decimal: more
//                digits than the field's precision at its scale) is 3349.
//   BigInt       the same sources, exactly (an integer of 64 bits never passes through a
//                double); outside -9223372036854775808..9223372036854775807 is 3349.
//   Single, Double
//                the same sources, correctly rounded; beyond a Single's range is 3349.
//   Date/Time    dates; numbers as days (as VBA's CDate); text in the forms of date_text.h.
//                Numbers and dates outside 01.01.0100..31.12.9999 are 3349, text naming no
//                valid date is 3421. Text that is only a number is not a date (3421).
//   Date/Time extended
//                extended dates exact; Jet's dates and numbers (as days) to the microsecond;
//                text "YYYY-MM-DD HH:MM:SS.fffffff" exact, the other date forms as Date/Time
//                reads them. Outside 01.01.0001..31.12.9999 is 3349, text naming no valid
//                date 3421.
//   Text, Memo   text as it is; numbers as VBA's CStr writes them under the locale (Double 15
//                significant digits, "1,5", "1E+15"; Currency and Decimal without trailing
//                zeros); Yes/No as the locale's words ("Wahr"/"Falsch"); dates as the
//                locale's general date (date_text.h), extended dates as
//                "YYYY-MM-DD HH:MM:SS.fffffff"; a GUID as {XXXXXXXX-XXXX-...}; binary
//                data as UTF-16LE (an odd length is 3421). Longer than the field (Text: its
//                length / 2 characters, in an Access 97 file its length; Memo: Jet's
//                long-value limit) is 3163; a character an Access 97 file's code page lacks
//                is 3421, the description naming it and its place; "" where the
//                field does not allow zero length is 3315.
//   Binary, OLE  binary data; text as its UTF-16LE bytes (as DAO stores a string there); a
//                GUID as its 16 bytes in Windows' memory order (as SQL Server casts one).
//                Longer than a Binary field's length is 3163. Numbers are 3421.
//   GUID         GUIDs; text {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}, braces optional, also in
//                DAO's own form {guid {...}}; 16 bytes in Windows' memory order.
//   NaN and ±infinity are 3349 for every field that takes numbers; a Text field takes neither
//   them nor a date outside the range above (3421).
// Any other pairing is 3421. A field of a type this engine does not know is 3251.
#pragma once

#include <string>
#include <string_view>

#include "jet/base/value.h"
#include "jet/base/value_locale.h"
#include "jet/table/table_definition.h"

namespace jet {

struct FieldRules {
    // The name the messages give; empty: the column's own name.
    std::u16string fieldName;
    // The field's AllowZeroLength property (Text and Memo); DAO's default for a new field.
    bool allowZeroLength = false;
    ValueLocale locale;
};

// `assigned` converted for `column`. Throws Error: ConversionFailed (3421), NumericOverflow
// (3349), FieldTooSmall (3163), ZeroLengthNotAllowed (3315), FieldNotUpdatable (3164) or
// NotSupported (3251), with DAO's German descriptions.
// REQUIRES: column.length is the stored length for Text and Binary; precision and scale are
// those stored for Decimal (a precision of 0 or above 28 counts as 28).
Value convertForField(const ColumnDef& column, const Value& assigned, const FieldRules& rules);
// The same, taking over what it can of `assigned` (text for a Text or Memo field) instead of
// copying it.
Value convertForField(const ColumnDef& column, Value&& assigned, const FieldRules& rules);

// `slot = convertForField(column, assigned, rules)` without allocating in a row loop: text goes
// into the buffer `slot` holds, or else into `spare`'s, and text `slot` gives up moves to
// `spare`. On a throw `slot` keeps its value.
void assignForField(const ColumnDef& column, const Value& assigned, const FieldRules& rules,
                    Value& slot, std::u16string& spare);
// The same for a value of one of Value's scalar types (bool, uint8_t, int16_t, int32_t, float,
// double, DateTime), without a Value built for it when the field keeps it as it is.
template <typename T>
void assignScalarForField(const ColumnDef& column, const T& assigned, const FieldRules& rules,
                          Value& slot, std::u16string& spare);
// The same for the text of an exact number in ASCII (a sign, digits, a point), as a server
// hands over a DECIMAL: a Currency field reads a plain one where it lies, any other field as
// the same text in a Value, widened into `scratch`.
void assignNumberTextForField(const ColumnDef& column, std::string_view ascii,
                              const FieldRules& rules, Value& slot, std::u16string& spare,
                              Value& scratch);
// The same for text seen through a view: a Text or Memo field copies it once, straight into
// its buffer; any other field reads it from `scratch`, whose buffer is kept for the next call.
void assignTextForField(const ColumnDef& column, std::u16string_view text, const FieldRules& rules,
                        Value& slot, std::u16string& spare, Value& scratch);

}  // namespace jet
