#include "value_printing.h"

#include <cstdio>

namespace odbc {

void PrintTo(const Null&, std::ostream* out) {
    *out << "NULL";
}

void PrintTo(const Decimal& value, std::ostream* out) {
    *out << "Decimal(" << value.text << ")";
}

void PrintTo(const Date& value, std::ostream* out) {
    *out << value.year << '-' << value.month << '-' << value.day;
}

void PrintTo(const Time& value, std::ostream* out) {
    *out << value.hour << ':' << value.minute << ':' << value.second;
}

void PrintTo(const Timestamp& value, std::ostream* out) {
    *out << value.year << '-' << value.month << '-' << value.day << ' ' << value.hour << ':'
         << value.minute << ':' << value.second << '.' << value.nanoseconds << "ns";
}

void PrintTo(const Guid& value, std::ostream* out) {
    char hex[3];
    for (uint8_t byte : value.bytes) {
        std::snprintf(hex, sizeof hex, "%02x", byte);
        *out << hex;
    }
}

}  // namespace odbc
