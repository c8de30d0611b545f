// The structural check of one long value (Memo, OLE): its descriptor and the rows it names.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "jet/base/bytes.h"
#include "jet/check/check_fault.h"
#include "jet/page/page_file.h"

namespace jet {

// Checks the long value whose descriptor (with any inline data) is `field`: inline data exactly
// as long as stated; a single row or a chain of rows on long-value pages, live, ending where the
// stated length ends. When `columnPages` is given, every page used must be in it (the column's
// own page map). `where` names the value in messages. Returns false when a fault was found.
bool checkLongValue(PageFile& file, ByteView field, const std::set<uint32_t>* columnPages,
                    const std::string& where, std::vector<CheckFault>& faults);

}  // namespace jet
