// A cursor over text for the small parsers of values written as text (numbers, dates, GUIDs).
#pragma once

#include <cstddef>
#include <string_view>

namespace jet {

// ASCII digits only: fullwidth and other scripts' digits are not numbers to VBA either.
inline bool isAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

class TextReader {
  public:
    explicit TextReader(std::u16string_view text) : text_(text) {}

    bool done() const { return pos_ == text_.size(); }
    // The character `ahead` places on; 0 past the end.
    char16_t peek(size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : char16_t{0};
    }
    void skip() { ++pos_; }
    bool take(char16_t c) {
        if (done() || text_[pos_] != c) return false;
        ++pos_;
        return true;
    }

  private:
    std::u16string_view text_;
    size_t pos_ = 0;
};

}  // namespace jet
