// A data page (type 0x01): header, row offset table, rows packed from the end downward.
// Also the layout of long-value (LVAL) pages and usage-map holder pages, which are data pages.
#pragma once

#include <cstdint>

#include "jet/base/bytes.h"
#include "jet/format/data_page_layout.h"
#include "jet/page/page_file.h"

namespace jet {

struct RowSlot {
    uint8_t row = 0;
    uint16_t start = 0;
    uint16_t end = 0;  // exclusive
    bool deleted = false;
    bool lookup = false;
};

class DataPage {
  public:
    // Throws when the page is not a data page. The view is `format`'s page.
    DataPage(const Format& format, ByteView page);
    // Page `number` of `file`, read through its cache: valid until the file's next trim.
    DataPage(PageFile& file, uint32_t number) : DataPage(file.format(), file.page(number)) {}

    uint32_t number() const { return page_.page(); }
    uint32_t owner() const { return page_.u32(data_page_layout::kOwner); }
    uint16_t freeSpace() const { return page_.u16(data_page_layout::kFreeSpace); }
    uint16_t rowCount() const { return rowCount_; }
    // Where the row offset table starts: the header's size.
    size_t rowOffsets() const { return rowOffsets_; }
    // The slot of `row`; throws when the row does not exist or its bounds are malformed.
    RowSlot slot(uint8_t row) const;
    ByteView rowBytes(const RowSlot& s) const { return page_.sub(s.start, s.end - s.start); }
    const ByteView& bytes() const { return page_; }

  private:
    ByteView page_;
    size_t rowOffsets_ = 0;
    uint16_t rowCount_ = 0;
};

}  // namespace jet
