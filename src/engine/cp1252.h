// Text as the log file holds it: Windows-1252, one byte per character, so that the files stay
// readable by the tools that read the logs written on Windows.
#pragma once

#include <string>
#include <string_view>

namespace engine {

// Each character becomes its Windows-1252 byte (€ is 0x80, ä is 0xE4). A character the code
// page cannot hold, an unpaired surrogate and the C1 control characters become one "?" each;
// a surrogate pair is one character and so one "?".
std::string encodeCp1252(std::u16string_view text);
// The same for UTF-8 input; an invalid sequence counts as a character the code page cannot hold.
std::string encodeCp1252FromUtf8(std::string_view text);

}  // namespace engine
