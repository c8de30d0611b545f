// A server column's value as the Access field receives it: the variant RDO hands to DAO.
#pragma once

#include <optional>

#include "jet/base/value.h"
#include "odbc/value.h"

namespace jet::dao {
class RecordsetField;
}  // namespace jet::dao

namespace engine {

// NULL stays NULL; integers, floating point numbers, text, binary data and GUIDs keep their
// value. A BIGINT that fits 32 bits stays an integer, a wider one becomes an exact Decimal.
// Exact decimals stay the driver's text ("12345.67"), which every number field reads exactly
// and a text field keeps as the server wrote it. Dates, times and time stamps become Jet's
// days since 30.12.1899 (a time alone lies on that day).
jet::Value toAccessValue(const odbc::Value& value);
// The same into `out`, reusing the text or byte buffer it holds: a row loop that keeps one
// value per column then allocates nothing.
void assignAccessValue(const odbc::Value& value, jet::Value& out);

// For NULL, the values that become one of Jet's scalars (booleans, integers of up to 32 bits,
// floating point numbers, dates, times and time stamps as Jet's days) and exact decimals in
// ASCII: the same as assignAccessValue and field.SetValue, without a jet::Value between them,
// and true. False, and nothing set, for any other value. Throws what SetValue throws.
bool setFieldDirectly(const odbc::Value& value, jet::dao::RecordsetField& field);

// Jet's day number for a calendar date, and the fraction of a day for a time of day.
double accessDays(int year, unsigned month, unsigned day);
double dayFraction(unsigned hour, unsigned minute, unsigned second, uint32_t nanoseconds = 0);
// The day number and time joined as Jet keeps them: before 30.12.1899 the day counts backwards
// while the fraction still moves forward in the day (-1.25 is 29.12.1899 06:00).
double accessDateTime(double days, double fraction);

// A time stamp as an extended Date/Time field (Access 2019) holds it, to the 100 ns the field
// keeps: exact, where Jet's days would round it to about a microsecond. nullopt when the
// field cannot hold it exactly (a year outside 1..9999, digits below 100 ns).
std::optional<jet::ExtendedDateTime> exactExtendedDate(const odbc::Timestamp& value);

}  // namespace engine
