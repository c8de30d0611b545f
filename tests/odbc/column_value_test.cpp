// Turning a driver's bytes into values, without a driver: the UTF-8 a driver hands over for
// drivers whose UTF-16 is wrong.
#include "odbc/column_value.h"

#include <gtest/gtest.h>

#include <string>

#include "odbc/error.h"

namespace odbc_test {
namespace {

odbc::Value fromUtf8(odbc::Value slot, const std::string& bytes) {
    odbc::assignValue(slot, odbc::ValueKind::Utf8Text,
                      reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return slot;
}

std::string failureOf(const std::string& bytes) {
    try {
        fromUtf8({}, bytes);
    } catch (const odbc::Error& e) {
        return e.sqlState() + " " + e.description();
    }
    return "kein Fehler";
}

TEST(ColumnValueTest, Utf8TextArrivesAsItsUtf16Units) {
    EXPECT_EQ(fromUtf8({}, ""), odbc::Value(std::u16string()));
    EXPECT_EQ(fromUtf8({}, "Köln-Süd 42 €"), odbc::Value(std::u16string(u"Köln-Süd 42 €")));
    // Outside the BMP: a surrogate pair for four bytes.
    EXPECT_EQ(fromUtf8({}, "a\xF0\x9F\x98\x80z"), odbc::Value(std::u16string(u"a\U0001F600z")));
    // A slot that held a longer text, from an earlier row, keeps nothing of it.
    const odbc::Value longer = std::u16string(200, u'x');
    EXPECT_EQ(fromUtf8(longer, "Maße"), odbc::Value(std::u16string(u"Maße")));
    EXPECT_EQ(fromUtf8(odbc::Value(int32_t{7}), "ab"), odbc::Value(std::u16string(u"ab")));
}

TEST(ColumnValueTest, BytesThatAreNoUtf8AreAnErrorNamingTheByte) {
    const std::string lead = "22018 Der Text des Treibers ist kein gültiges UTF-8 (Byte ";
    EXPECT_EQ(failureOf("ab\xC3"), lead + "3)");              // cut off
    EXPECT_EQ(failureOf("\x80"), lead + "1)");                // a stray continuation byte
    EXPECT_EQ(failureOf("a\xC0\xAF"), lead + "2)");           // overlong
    EXPECT_EQ(failureOf("ab\xED\xA0\x80"), lead + "3)");      // a surrogate
    EXPECT_EQ(failureOf("\xF4\x90\x80\x80"), lead + "1)");    // beyond U+10FFFF
    EXPECT_EQ(failureOf("ok \xE2\x82\x28 ok"), lead + "4)");  // a broken sequence
}

}  // namespace
}  // namespace odbc_test
