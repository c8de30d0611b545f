// The database header (page 0): format version, code page, sort order, encoding key.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "jet/base/bytes.h"
#include "jet/format/format.h"

namespace jet {

// The fixed keystream that masks the header region; the same for every file. A version masks
// as many of its bytes as its HeaderLayout says.
const std::array<uint8_t, header_layout::kMaxMaskedLength>& headerMask();

struct DatabaseHeader {
    uint8_t version = 0;
    uint16_t codePage = 0;
    uint32_t encodingKey = 0;
    uint16_t sortLcid = 0;    // 0x0409 = General
    uint8_t sortVersion = 0;  // 0 = General Legacy
    double creationDate = 0;  // 0 when the version stores none
    // The region, unmasked; bytes past the format's masked length are 0.
    std::array<uint8_t, header_layout::kMaxMaskedLength> unmasked{};
};

// Reads and checks page 0. Throws UnsupportedFormat for unknown files and EncryptedDatabase
// for files with a database encoding key (an ACE file with a password among them). `path`
// names the file in errors.
DatabaseHeader readHeader(ByteView page0, const std::string& path);

}  // namespace jet
