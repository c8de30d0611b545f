// Writing the database header (page 0) of a new Jet 4 or ACE file: the inverse of readHeader.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/format/format.h"

namespace jet {

struct NewHeader {
    FormatVersion version = FormatVersion::Jet4;  // Jet 4 or an ACE version: Jet 4's pages
    uint16_t codePage = 1252;
    uint16_t sortLcid = 0x0409;  // General
    uint8_t sortVersion = 0;     // General Legacy, what Access 2000-2003 use; not in Jet 3
    double creationDate = 0;     // Jet date: days since 1899-12-30; not in Jet 3
    uint32_t serial = 0;         // HeaderLayout::serial's word; Access varies it per file
};

// Page 0 as Access writes it for a new database of `format` (Jet 4 by Access 2000, Jet 3 by
// Access 97): no password and no encoding key, the masked region masked. readHeader() gives
// back the values the format has.
std::vector<uint8_t> encodeHeaderPage(const NewHeader& header, const Format& format = kJet4Format);

// The current local time as a Jet date, as Access stamps creation dates.
double jetDateNow();

}  // namespace jet
