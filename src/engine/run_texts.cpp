#include "engine/run_texts.h"

#include "jet/base/number_text.h"

namespace engine {

namespace {

void appendTwoDigits(std::u16string& text, int value) {
    text += static_cast<char16_t>(u'0' + value / 10 % 10);
    text += static_cast<char16_t>(u'0' + value % 10);
}

}  // namespace

std::u16string DateText(const LocalDateTime& at) {
    std::u16string text;
    appendTwoDigits(text, at.day);
    text += u'.';
    appendTwoDigits(text, at.month);
    text += u'.';
    appendTwoDigits(text, at.year / 100);
    appendTwoDigits(text, at.year % 100);
    return text;
}

std::u16string TimeText(const LocalDateTime& at) {
    std::u16string text;
    appendTwoDigits(text, at.hour);
    text += u':';
    appendTwoDigits(text, at.minute);
    text += u':';
    appendTwoDigits(text, at.second);
    return text;
}

std::u16string RowCountText(int64_t count, const jet::ValueLocale& locale) {
    return jet::formatSingle(static_cast<float>(count), locale);
}

}  // namespace engine
