#include "odbc/decimal_text.h"

#include <cstdlib>
#include <string_view>

namespace odbc {
namespace {

// Exponents beyond this are no exact number a database column holds; writing them out could
// take gigabytes.
constexpr long kLargestExponent = 4000;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void trim(std::string& text) {
    size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1])) --end;
    size_t begin = 0;
    while (begin < end && isBlank(text[begin])) ++begin;
    text.erase(end);
    text.erase(0, begin);
}

// Already "[-]digits[.digits]" without superfluous zero or sign: the common case.
bool isNormal(std::string_view text) {
    size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
    const size_t wholeBegin = at;
    while (at < text.size() && isDigit(text[at])) ++at;
    const size_t wholeDigits = at - wholeBegin;
    if (wholeDigits == 0 || (wholeDigits > 1 && text[wholeBegin] == '0')) return false;
    bool zero = wholeDigits == 1 && text[wholeBegin] == '0';
    if (at < text.size()) {
        if (text[at] != '.') return false;
        const size_t fractionBegin = ++at;
        while (at < text.size() && isDigit(text[at])) ++at;
        if (at != text.size() || at == fractionBegin) return false;
        zero = zero && text.find_first_not_of('0', fractionBegin) == std::string_view::npos;
    }
    return !(zero && wholeBegin == 1);
}

// The parts of "[sign] [digits] [separator [digits]] [e [sign] digits]", views into the text.
struct Parts {
    bool negative = false;
    std::string_view whole;
    std::string_view fraction;
    long exponent = 0;
};

size_t skipDigits(std::string_view text, size_t at) {
    while (at < text.size() && isDigit(text[at])) ++at;
    return at;
}

bool parseExponent(std::string_view text, long& exponent) {
    if (text.empty() || !isDigit(text.back())) return false;
    std::string digits(text);
    char* end = nullptr;
    exponent = std::strtol(digits.c_str(), &end, 10);
    return *end == '\0' && std::labs(exponent) <= kLargestExponent;
}

bool parse(std::string_view text, Parts& parts) {
    size_t at = 0;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        parts.negative = text[at++] == '-';
    size_t end = skipDigits(text, at);
    parts.whole = text.substr(at, end - at);
    at = end;
    if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
        end = skipDigits(text, ++at);
        parts.fraction = text.substr(at, end - at);
        at = end;
    }
    if (parts.whole.empty() && parts.fraction.empty()) return false;
    if (at == text.size()) return true;
    if (text[at] != 'e' && text[at] != 'E') return false;
    return parseExponent(text.substr(at + 1), parts.exponent);
}

// Moves the separator by the exponent; missing digits become zeros.
void applyExponent(Parts& parts, std::string& storage) {
    storage = std::string(parts.whole) + std::string(parts.fraction);
    long point = static_cast<long>(parts.whole.size()) + parts.exponent;
    if (point < 0) {
        storage.insert(0, static_cast<size_t>(-point), '0');
        point = 0;
    } else if (static_cast<size_t>(point) > storage.size()) {
        storage.append(static_cast<size_t>(point) - storage.size(), '0');
    }
    parts.whole = std::string_view(storage).substr(0, static_cast<size_t>(point));
    parts.fraction = std::string_view(storage).substr(static_cast<size_t>(point));
}

void compose(const Parts& parts, std::string& out) {
    std::string_view whole = parts.whole;
    while (whole.size() > 1 && whole.front() == '0') whole.remove_prefix(1);
    bool zero = whole.find_first_not_of('0') == std::string_view::npos &&
                parts.fraction.find_first_not_of('0') == std::string_view::npos;
    std::string result;
    result.reserve(whole.size() + parts.fraction.size() + 3);
    if (parts.negative && !zero) result += '-';
    result += whole.empty() ? std::string_view("0") : whole;
    if (!parts.fraction.empty()) {
        result += '.';
        result += parts.fraction;
    }
    out = std::move(result);
}

}  // namespace

void normaliseDecimalText(std::string& text) {
    if (isNormal(text)) return;
    trim(text);
    Parts parts;
    if (!parse(text, parts)) return;
    if (parts.exponent == 0) {
        // Drivers that write a decimal comma do so for every value: fix it where it stands.
        size_t comma = text.find(',');
        if (comma != std::string::npos) text[comma] = '.';
        if (isNormal(text)) return;
    }
    std::string storage;
    if (parts.exponent != 0) applyExponent(parts, storage);
    compose(parts, text);
}

}  // namespace odbc
