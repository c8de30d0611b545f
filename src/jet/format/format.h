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

// Page 0's version byte.
enum class FormatVersion : uint8_t { Jet3 = 0, Jet4 = 1 };

// How text is stored: UCS-2 with the optional FF FE compression, or the file's code page.
enum class TextCodec : uint8_t { Ucs2Compressed, CodePage };

// The rules text index keys follow, by the sort order the file was made with.
enum class SortKeyRules : uint8_t { GeneralLegacy, General97 };

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
    // The file's code page for TextCodec::CodePage; the opener fills it in from page 0.
    uint16_t codePage = 0;

    // The code page text is stored in; 0 when text is UCS-2 (page 0 names a code page then too).
    uint16_t textCodePage() const { return text == TextCodec::CodePage ? codePage : 0; }

    // A data page's free space when it holds no row.
    uint16_t emptyDataPageSpace() const {
        return static_cast<uint16_t>(pageSize - dataPage.rowOffsets);
    }
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

// The format of a file whose page 0 carries `version`; nullptr for versions this engine does
// not know (ACE's 2 and up among them).
inline const Format* formatForVersion(uint8_t version) {
    if (version == uint8_t(FormatVersion::Jet4)) return &kJet4Format;
    if (version == uint8_t(FormatVersion::Jet3)) return &kJet3Format;
    return nullptr;
}

}  // namespace jet
