// Bringing a driver's text for an exact number into the one form Decimal promises.
#pragma once

#include <string>

namespace odbc {

// Rewrites `text` in place: surrounding blanks go, a ',' separator becomes '.', a leading '+'
// goes, a bare separator gets its 0 ("-.5" → "-0.5"), leading zeros go, an exponent is written
// out exactly ("1.25E+3" → "1250", "5e-3" → "0.005"), and zero loses its sign. Digits after the
// separator stay as they are: they carry the scale. Text that is no number is only trimmed.
// Needs no allocation unless there was an exponent.
void normaliseDecimalText(std::string& text);

}  // namespace odbc
