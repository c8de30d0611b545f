// Text as the engine keeps it: UTF-16 code units, as Jet stores them. Conversions to UTF-8 for
// callers, the upper-casing used for every comparison of names, and Jet's stored text forms.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace jet {

std::string toUtf8(std::u16string_view text);
// Invalid UTF-8 sequences become U+FFFD.
std::u16string fromUtf8(std::string_view text);

// Upper-cases the letters of the Latin, Greek and Cyrillic alphabets (ä -> Ä, ÿ -> Ÿ); other
// characters stay. ß has no single upper-case letter and stays, as Windows keeps it.
char16_t upperChar(char16_t c);
std::u16string upperCase(std::u16string_view text);
// True when both names are equal ignoring case in the sense of upperCase.
bool equalIgnoringCase(std::u16string_view a, std::u16string_view b);

// A stored text value: plain UTF-16LE, or Jet's compressed form (starts with FF FE; single bytes
// for characters below U+0100, a zero byte switching between one- and two-byte mode).
std::u16string decodeStoredText(std::span<const uint8_t> bytes);
// Plain UTF-16LE without compression (names in table definitions and properties).
std::u16string decodeUcs2(std::span<const uint8_t> bytes);

}  // namespace jet
