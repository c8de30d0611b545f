// The properties of a catalog object (MSysObjects.LvProp): Access's field and table settings
// such as Required, DefaultValue, Format or Caption, for the object itself and for each of its
// columns.
//
// Stored layout (Jet 4), all little-endian:
//   "MR2\0", then chunks of: u32 chunk length (header included) | u16 chunk type | body.
//   Chunk 0x80 is the name list: (u16 byte length, UCS-2 name) repeated; one per blob, before
//   the chunks that refer to it. Every other chunk is a value block:
//     u32 block header length (itself included) | u16 name length | UCS-2 name (empty for the
//     object itself), then entries of:
//     u16 entry length (itself included) | u8 DDL flag | u8 Jet type code | u16 index into the
//     name list | u16 value size | value.
// Jet 3 stores the same layout behind "KKD\0", with names and text values in the file's code
// page (a name's length counts its bytes).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jet/base/bytes.h"
#include "jet/base/value.h"

namespace jet {

namespace property_layout {
inline constexpr std::array<uint8_t, 4> kMagicJet4 = {'M', 'R', '2', 0};
inline constexpr std::array<uint8_t, 4> kMagicJet3 = {'K', 'K', 'D', 0};
inline constexpr size_t kChunkLength = 0;
inline constexpr size_t kChunkType = 4;
inline constexpr size_t kChunkHeader = 6;
inline constexpr size_t kBlockLength = 0;
inline constexpr size_t kBlockNameLength = 4;
inline constexpr size_t kBlockHeader = 6;
inline constexpr size_t kEntryLength = 0;
inline constexpr size_t kEntryDdlFlag = 2;
inline constexpr size_t kEntryType = 3;
inline constexpr size_t kEntryNameIndex = 4;
inline constexpr size_t kEntryValueSize = 6;
inline constexpr size_t kEntryHeader = 8;
inline constexpr size_t kNameLength = 2;  // the u16 in front of every stored name
}  // namespace property_layout

namespace property_chunk {
inline constexpr uint16_t kObject = 0x00;
inline constexpr uint16_t kColumn = 0x01;
inline constexpr uint16_t kNameList = 0x80;
}  // namespace property_chunk

struct Property {
    std::u16string name;
    uint8_t ddlFlag = 0;   // 1: set through DDL, part of the definition
    uint8_t typeCode = 0;  // Jet type code as stored; may be one this engine does not know
    // The stored value bytes, exactly; what a writer puts back for properties it does not
    // interpret.
    std::vector<uint8_t> raw;
    // `raw` decoded by `typeCode`; see decodePropertyValue.
    Value value;
};

// The properties of the object itself or of one of its columns.
struct PropertyBlock {
    uint16_t chunkType = 0;            // property_chunk; other types are kept as found
    std::u16string objectName;         // empty for the object itself
    std::vector<Property> properties;  // in stored order

    // The first property of that name, ignoring case; nullptr if there is none.
    const Property* find(std::u16string_view name) const;
};

struct PropertySet {
    // 0: an "MR2" blob with UCS-2 text; else a "KKD" blob with text in this code page.
    uint16_t codePage = 0;
    std::vector<std::u16string> names;  // the name list, in stored order
    std::vector<PropertyBlock> blocks;  // in stored order

    // The object's own block; nullptr if the blob has none.
    const PropertyBlock* object() const;
    // The block of the column of that name, ignoring case; nullptr if there is none.
    const PropertyBlock* column(std::u16string_view columnName) const;
};

// Parses a whole LvProp value. An empty blob has no properties. Every length is checked
// against the bytes at hand: a truncated or malformed blob throws Error (DatabaseCorrupt,
// naming blob.page()). A "KKD\0" blob decodes its text in `fileCodePage` (Format::codePage);
// a code page this engine does not know throws UnsupportedFormat.
PropertySet parsePropertyBlob(ByteView blob, uint16_t fileCodePage);

}  // namespace jet
