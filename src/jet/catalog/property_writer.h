// Writing property blobs (MSysObjects.LvProp): the inverse of parsePropertyBlob, plus the
// pieces to build or change a PropertySet. The layout is described in properties.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/base/value.h"
#include "jet/catalog/properties.h"

namespace jet {

// Jet type codes used for property values.
namespace property_type {
inline constexpr uint8_t kBoolean = 1;
inline constexpr uint8_t kByte = 2;
inline constexpr uint8_t kInteger = 3;
inline constexpr uint8_t kLong = 4;
inline constexpr uint8_t kCurrency = 5;
inline constexpr uint8_t kSingle = 6;
inline constexpr uint8_t kDouble = 7;
inline constexpr uint8_t kDateTime = 8;
inline constexpr uint8_t kBinary = 9;
inline constexpr uint8_t kText = 10;
inline constexpr uint8_t kOle = 11;
inline constexpr uint8_t kMemo = 12;
inline constexpr uint8_t kGuid = 15;
}  // namespace property_type

// The whole blob: "MR2\0" ("KKD\0" when set.codePage is set), the name list, then every block
// in order with its entries' `raw` bytes (in a KKD blob, text values encoded from `value`). A set
// that came from parsePropertyBlob comes out byte for byte as it was read. Names used by entries
// but missing from `set.names` are appended to the list. REQUIRES: every length fits its u16/u32
// field, every text the code page (throws Error otherwise).
std::vector<uint8_t> writePropertyBlob(const PropertySet& set);

// A property whose `raw` is `value` encoded as Access stores type `typeCode` (true as 01,
// text as uncompressed UCS-2, GUID with its first three groups little-endian).
// Throws Error (ConversionFailed) when the value does not fit the type.
Property makeProperty(std::u16string name, const Value& value, uint8_t typeCode, bool ddl);

// Replaces the property of the same name (ignoring case) in place, or appends it.
void setProperty(PropertyBlock& block, Property property);

// The block of that column (ignoring case), appended empty when there is none.
PropertyBlock& columnBlock(PropertySet& set, std::u16string_view columnName);
// The object's own block, inserted first when there is none.
PropertyBlock& objectBlock(PropertySet& set);

struct PropertyKind {
    uint8_t typeCode = 0;
    bool ddl = false;
};
// The type and DDL flag Access gives a well-known field or table property; nullopt for others.
std::optional<PropertyKind> wellKnownPropertyType(std::u16string_view name);

}  // namespace jet
