#include "test_data.h"

namespace odbc_test {

LongText longText(size_t minimum) {
    LongText text;
    for (size_t n = 0; text.utf16.size() < minimum; ++n) {
        std::string number = std::to_string(n);
        text.utf8 += "Größe äöü ÄÖÜ ß € " + number + "; ";
        text.utf16 += u"Größe äöü ÄÖÜ ß € " + std::u16string(number.begin(), number.end()) + u"; ";
    }
    return text;
}

odbc::Bytes everyByte(size_t size) {
    odbc::Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + i / 256) % 256);
    return bytes;
}

std::string hex(const odbc::Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

}  // namespace odbc_test
