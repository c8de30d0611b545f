// The format descriptor: everything that differs between the Jet versions this engine reads,
// chosen once when a file is opened (from page 0's version byte) and read by every layer
// instead of constants. A Format lives for the whole program: the instances are constants.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jet/format/data_page_layout.h"
#include "jet/format/header_layout.h"
#include "jet/format/index_page_layout.h"
#include "jet/format/long_value_layout.h"
#include "jet/format/row_layout.h"
#include "jet/format/tdef_layout.h"
#include "jet/format/usage_map_layout.h"

namespace jet {

// Page 0's version byte. The ACE versions (.accdb) keep Jet 4's page layouts; they are named
// after the engine: 12 = Access 2007, 14 = 2010, 15 = 2013, 16 = 2016, 17 = 2019 and later.
enum class FormatVersion : uint8_t {
    Jet3 = 0,
    Jet4 = 1,
    Ace12 = 2,
    Ace14 = 3,
    Ace15 = 4,
    Ace16 = 5,
    Ace17 = 6
};

// How text is stored: UCS-2 with the optional FF FE compression, or the file's code page.
enum class TextCodec : uint8_t { Ucs2Compressed, CodePage };

// The rules text index keys follow, by the sort order the file was made with: General Legacy
// (Jet 4, ACE 12), General 97 (Jet 3), General (ACE 14 and later).
enum class SortKeyRules : uint8_t { GeneralLegacy, General97, General2010 };

struct FormatLimits {
    uint32_t maxPages;     // the file-size limit, in pages
    size_t maxNameLength;  // characters of a table, column or index name
    size_t maxTextLength;  // characters of a Text column
    bool hasDecimal;       // the Decimal type exists
};

struct Format {
    FormatVersion version;
    uint32_t pageSize;
    HeaderLayout header;
    DataPageLayout dataPage;
    RowLayout row;
    LongValueLayout longValue;
    UsageMapLayout usageMap;
    IndexPageLayout indexPage;
    TdefLayout tdef;
    TextCodec text;
    SortKeyRules sortKeys;
    FormatLimits limits;
    // Decimal index keys follow Access's old rule, which orders negative values wrongly in
    // descending indexes; ACE keys them correctly.
    bool legacyDecimalKeys = true;
    // The file's code page for TextCodec::CodePage; the opener fills it in from page 0.
    uint16_t codePage = 0;

    // The code page text is stored in; 0 when text is UCS-2 (page 0 names a code page then too).
    uint16_t textCodePage() const { return text == TextCodec::CodePage ? codePage : 0; }

    // A data page's free space when it holds no row.
    uint16_t emptyDataPageSpace() const {
        return static_cast<uint16_t>(pageSize - dataPage.rowOffsets);
    }
    bool isAce() const { return version >= FormatVersion::Ace12; }
    // Pages one bitmap page of a reference usage map covers.
    uint32_t pagesPerBitmapPage() const {
        return static_cast<uint32_t>((pageSize - usage_map_layout::kBitmapPageHeader) * 8);
    }
};

inline constexpr uint32_t kJet4PageSize = 4096;
inline constexpr uint32_t kJet3PageSize = 2048;
// The largest page of any version: buffers sized for any page.
inline constexpr uint32_t kMaxPageSize = kJet4PageSize;

// Jet's limits: 2 GiB files for Jet 4, 1 GiB for Jet 3.
inline constexpr Format kJet4Format{
    FormatVersion::Jet4,
    kJet4PageSize,
    kJet4Header,
    kJet4DataPage,
    kJet4Row,
    kJet4LongValue,
    kJet4UsageMap,
    kJet4IndexPage,
    kJet4Tdef,
    TextCodec::Ucs2Compressed,
    SortKeyRules::GeneralLegacy,
    {0x80000000u / kJet4PageSize, 64, 255, true},
};

inline constexpr Format kJet3Format{
    FormatVersion::Jet3,
    kJet3PageSize,
    kJet3Header,
    kJet3DataPage,
    kJet3Row,
    kJet3LongValue,
    kJet3UsageMap,
    kJet3IndexPage,
    kJet3Tdef,
    TextCodec::CodePage,
    SortKeyRules::General97,
    {0x40000000u / kJet3PageSize, 64, 255, false},
};

// An ACE format: Jet 4's pages under another version byte, with ACE's decimal keys.
constexpr Format aceFormat(FormatVersion version, SortKeyRules sortKeys) {
    Format format = kJet4Format;
    format.version = version;
    format.sortKeys = sortKeys;
    format.legacyDecimalKeys = false;
    return format;
}

// Access 2007 still made General Legacy databases; from 2010 on General is the default.
inline constexpr Format kAce12Format = aceFormat(FormatVersion::Ace12, SortKeyRules::GeneralLegacy);
inline constexpr Format kAce14Format = aceFormat(FormatVersion::Ace14, SortKeyRules::General2010);
inline constexpr Format kAce15Format = aceFormat(FormatVersion::Ace15, SortKeyRules::General2010);
inline constexpr Format kAce16Format = aceFormat(FormatVersion::Ace16, SortKeyRules::General2010);
inline constexpr Format kAce17Format = aceFormat(FormatVersion::Ace17, SortKeyRules::General2010);

// The format of a file whose page 0 carries `version`; nullptr for versions this engine does
// not know.
inline const Format* formatForVersion(uint8_t version) {
    switch (static_cast<FormatVersion>(version)) {
        case FormatVersion::Jet3:
            return &kJet3Format;
        case FormatVersion::Jet4:
            return &kJet4Format;
        case FormatVersion::Ace12:
            return &kAce12Format;
        case FormatVersion::Ace14:
            return &kAce14Format;
        case FormatVersion::Ace15:
            return &kAce15Format;
        case FormatVersion::Ace16:
            return &kAce16Format;
        case FormatVersion::Ace17:
            return &kAce17Format;
    }
    return nullptr;
}

}  // namespace jet
