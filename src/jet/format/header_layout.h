// Page 0, the database header: where its fields lie. The masked region is XOR-masked on disk.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet {

namespace header_layout {
inline constexpr size_t kEngineName = 4;  // "Standard Jet DB"
inline constexpr size_t kVersion = 0x14;  // u8: see FormatVersion
// ACE files name their engine "Standard ACE DB"; Access 2010 and later set the byte after the
// version to 1 (its meaning is not documented).
inline constexpr char kJetEngineName[] = "Standard Jet DB";
inline constexpr char kAceEngineName[] = "Standard ACE DB";
inline constexpr size_t kAfterVersion = 0x15;
inline constexpr size_t kMaskedStart = 0x18;
inline constexpr size_t kMaxMaskedLength = 128;  // the longest masked region of any version
inline constexpr size_t kCodePage = 0x3C;
inline constexpr size_t kEncodingKey = 0x3E;
inline constexpr size_t kPassword = 0x42;
}  // namespace header_layout

// The header fields whose place or size differs between the versions.
struct HeaderLayout {
    size_t maskedLength;    // this many bytes from kMaskedStart on are masked
    size_t passwordLength;  // Jet 4 masks it with the creation date as well
    size_t sortOrder;       // u16 LCID, then (Jet 4) a byte and the sort version
    size_t creationDate;    // f64; 0 when the version has none
    // Written by Access, meaning unknown: a word it varies per file, and the start of a run of
    // words (01 in their high bytes) filling the rest of the page.
    size_t serial;
    size_t flagWords;
};

inline constexpr HeaderLayout kJet4Header{128, 40, 0x6E, 0x72, 0x6A, 0xE00};
inline constexpr HeaderLayout kJet3Header{126, 20, 0x3A, 0, 0x56, 0x600};

// Access 97 sets this byte (in the masked region) in the files it makes; Jet 4 leaves it 0.
inline constexpr size_t kJet3Marker38 = 0x38;

}  // namespace jet
