// A table definition (TDEF) as stored: its columns, real and logical indexes, and usage maps.
// Parsed from the chain of TDEF pages that starts at the table's first page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jet/format/format.h"
#include "jet/page/page_file.h"
#include "jet/page/usage_map.h"

namespace jet {

enum class ColumnType : uint8_t {
    Boolean = 1,
    Byte = 2,
    Integer = 3,
    Long = 4,
    Currency = 5,
    Single = 6,
    Double = 7,
    DateTime = 8,
    Binary = 9,
    Text = 10,
    OLE = 11,
    Memo = 12,
    Guid = 15,
    Decimal = 16,
    // ACE: an attachment, multi-value or version-history column. The row holds a 4-byte key
    // into the column's hidden table, where the values are.
    Complex = 18,
    // Access 2016 and later (ACE 16): a signed 64-bit integer ("Large Number").
    BigInt = 19,
    // Access 2019 and later (ACE 17): Date/Time Extended, 100-ns precision from year 1 on,
    // stored as text (jet/format/extended_date_layout.h).
    ExtendedDateTime = 20,
};
// False for type codes this engine does not know (rare Jet types and the other ACE types).
bool isKnownColumnType(uint8_t code);
const char* columnTypeName(uint8_t code);

namespace column_flag {
inline constexpr uint8_t kFixed = 0x01;
inline constexpr uint8_t kUpdatable = 0x02;
inline constexpr uint8_t kAutoLong = 0x04;
inline constexpr uint8_t kReplication = 0x10;
inline constexpr uint8_t kAutoGuid = 0x40;
inline constexpr uint8_t kHyperlink = 0x80;
inline constexpr uint8_t kExtCompressedUnicode = 0x01;  // in the extended flags
// ACE 14 and later: a calculated column (its value stored with the result's type).
inline constexpr uint8_t kExtCalculated = 0xC0;
}  // namespace column_flag

struct ColumnDef {
    uint8_t typeCode = 0;  // ColumnType, or an unknown code kept as stored; see below
    // A calculated column's values have the type its ResultType property names, which may
    // differ from the code its definition stores (a Currency result in a Double column). Where
    // the catalog put the result type into typeCode, this keeps the stored code; else 0.
    uint8_t definitionTypeCode = 0;
    uint16_t number = 0;        // stable id: null-mask bit, index definitions
    uint16_t varIndex = 0;      // slot in the row's variable-offset table
    uint16_t displayIndex = 0;  // position as Access shows it
    uint16_t sortLcid = 0;      // text and memo: the sort order's locale id
    uint8_t sortVersion = 0;    // text and memo: 0 = General Legacy
    uint16_t codePage = 0;      // Jet 3: the code page of its text; 0 = UCS-2 (Jet 4)
    uint16_t unknownWord = tdef_layout::kColumnUnknownWordValue;  // Jet 3, meaning unknown
    uint8_t precision = 0;                                        // decimal only
    uint8_t scale = 0;                                            // decimal only
    uint8_t flags = 0;                                            // column_flag
    uint8_t extFlags = 0;
    uint16_t fixedOffset = 0;  // position in the row's fixed area
    uint16_t length = 0;       // bytes; text: 2 per character (1 in a code page); memo/OLE: 0
    std::u16string name;
    // Memo and OLE columns of Access-made files keep their own long-value page maps.
    std::optional<MapRef> longValueOwnedMap;
    std::optional<MapRef> longValueFreeMap;
    // Decimal only: keyed by Jet's old rule rather than ACE's, as the file's Format says.
    bool legacyDecimalKey = true;

    ColumnType type() const { return static_cast<ColumnType>(typeCode); }
    // The code the column's definition stores.
    uint8_t storedTypeCode() const { return definitionTypeCode ? definitionTypeCode : typeCode; }
    bool isFixed() const { return flags & column_flag::kFixed; }
    bool isLongValue() const {
        return typeCode == uint8_t(ColumnType::Memo) || typeCode == uint8_t(ColumnType::OLE);
    }
    bool isAutoNumber() const { return flags & (column_flag::kAutoLong | column_flag::kAutoGuid); }
    bool isCompressedUnicode() const { return extFlags & column_flag::kExtCompressedUnicode; }
    // Its stored values are wrapped (jet/format/calculated_value_layout.h); a Yes/No result is
    // stored as a field, not in the null mask.
    bool isCalculated() const { return extFlags & column_flag::kExtCalculated; }
    // A Yes/No column whose value is the null-mask bit.
    bool isMaskBoolean() const {
        return typeCode == uint8_t(ColumnType::Boolean) && !isCalculated();
    }
    // Bytes a character takes before compression: UTF-16, or one of the code page (Jet 3).
    size_t bytesPerCharacter() const { return codePage != 0 ? 1 : 2; }
};

namespace index_flag {
inline constexpr uint8_t kUnique = 0x01;
inline constexpr uint8_t kIgnoreNulls = 0x02;
inline constexpr uint8_t kRequired = 0x08;
}  // namespace index_flag

struct IndexColumn {
    uint16_t columnNumber = 0;
    bool ascending = true;
};

// The physical index: its columns, flags and B-tree.
struct RealIndexDef {
    // First word of the 12-byte block: the number of entries when distinctKeys was last
    // counted; where it equals the entries in the tree, distinctKeys is exact.
    uint32_t statisticEntries = 0;
    uint32_t distinctKeys = 0;  // number of distinct keys in the tree
    std::vector<IndexColumn> columns;
    MapRef usageMap;
    uint32_t rootPage = 0;
    uint32_t unknownWord = 0;  // kept as found
    uint8_t flags = 0;         // index_flag
};

enum class LogicalIndexKind : uint8_t { Normal = 0, PrimaryKey = 1, ForeignKey = 2 };

// The named index of Access's user interface; several may share one real index.
struct LogicalIndexDef {
    uint32_t number = 0;
    uint32_t realIndex = 0;
    uint8_t foreignKeyRole = 0;  // 1 referenced side, 2 foreign-key side
    int32_t otherIndex = -1;     // partner's logical index number
    uint32_t otherTablePage = 0;
    uint8_t updateAction = 0;
    uint8_t deleteAction = 0;
    uint8_t kind = 0;  // LogicalIndexKind
    std::u16string name;
};

struct TableDefinition {
    uint32_t firstPage = 0;
    std::vector<uint32_t> pages;  // the TDEF chain, first page first
    uint32_t length = 0;          // logical length, as the header states it
    uint32_t rowCount = 0;
    uint32_t autoNumber = 0;  // last AutoNumber handed out
    uint8_t tableType = 0;    // 0x4E user, 0x53 system
    uint16_t maxColumns = 0;
    uint16_t varColumns = 0;
    MapRef ownedPages;
    MapRef freeSpacePages;
    std::vector<ColumnDef> columns;  // in stored (display) order
    std::vector<RealIndexDef> realIndexes;
    std::vector<LogicalIndexDef> logicalIndexes;
    // Numbers of the columns whose long-value maps the definition holds, in stored order
    // (Access 97 does not store them in column order); empty for a new definition.
    std::vector<uint16_t> longValueMapOrder;

    const ColumnDef* columnByNumber(uint16_t number) const;
};

// Reads the definition whose first TDEF page is `firstPage`. Throws Error on a malformed chain.
TableDefinition readTableDefinition(PageFile& file, uint32_t firstPage);

// One index block at `at` in a definition's joined bytes; the names and the real index's
// counts lie elsewhere and stay empty. Throws Error past the end of `definition`.
RealIndexDef readRealIndexBlock(const TdefLayout& layout, const ByteView& definition, size_t at);
LogicalIndexDef readLogicalIndexBlock(const TdefLayout& layout, const ByteView& definition,
                                      size_t at);

// The bytes the name stored at `at` takes, its length field included.
size_t storedNameSize(const TdefLayout& layout, const ByteView& definition, size_t at);
// A stored name's text (without its length field) as the file's format encodes names.
std::u16string decodeStoredName(const Format& format, const ByteView& text);

}  // namespace jet
