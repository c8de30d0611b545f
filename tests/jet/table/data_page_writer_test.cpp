// Adding rows to data pages: new slots while there are any, then the slots of deleted rows
// whose bytes were given up, with the other rows and the free-space count intact.
#include "jet/table/data_page_writer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "jet/page/data_page.h"
#include "jet/table/data_page_rewrite.h"

namespace jet {
namespace {

using namespace data_page_layout;

struct Page {
    std::array<uint8_t, kJet4PageSize> bytes{};
    Page() { formatDataPage(kJet4Format, bytes.data(), 77); }
    ByteView view() const { return ByteView({bytes.data(), kJet4PageSize}, 5); }
    uint8_t add(uint8_t fill, size_t length = 4) {
        AddedRow row = addRow(kJet4Format, bytes.data(), length);
        std::memset(row.bytes, fill, length);
        return row.row;
    }
    std::vector<uint8_t> row(uint8_t r) const {
        ByteView rowBytes =
            DataPage(kJet4Format, view()).rowBytes(DataPage(kJet4Format, view()).slot(r));
        return {rowBytes.data(), rowBytes.data() + rowBytes.size()};
    }
    // What the free-space field must say: everything not header, offsets or row bytes.
    size_t expectedFree() const {
        DataPage page(kJet4Format, view());
        size_t used = kJet4DataPage.rowOffsets + 2 * size_t{page.rowCount()};
        for (uint16_t r = 0; r < page.rowCount(); ++r) {
            RowSlot s = page.slot(static_cast<uint8_t>(r));
            used += s.end - s.start;
        }
        return kJet4PageSize - used;
    }
};

TEST(DataPageWriter, ReusesTheSlotsOfReclaimedRowsOnceAllSlotsAreTaken) {
    Page page;
    for (size_t r = 0; r < kMaxRowsPerPage; ++r) EXPECT_EQ(page.add(uint8_t(r)), r);
    EXPECT_FALSE(rowFits(kJet4Format, page.view(), 4));  // 255 slots, though bytes are left

    // Deleted but still holding bytes: not reusable.
    setRowFlags(kJet4Format, page.bytes.data(), 10, kDeletedFlag);
    EXPECT_FALSE(rowFits(kJet4Format, page.view(), 4));

    std::vector<uint8_t> scratch;
    replaceRow(kJet4Format, page.bytes.data(), 10, {}, kDeletedFlag | kLookupFlag, scratch);
    replaceRow(kJet4Format, page.bytes.data(), 200, {}, kDeletedFlag, scratch);
    ASSERT_TRUE(rowFits(kJet4Format, page.view(), 40));
    EXPECT_EQ(page.add(0xAA, 40), 10);
    EXPECT_EQ(page.add(0xBB, 7), 200);
    EXPECT_FALSE(rowFits(kJet4Format, page.view(), 1));

    DataPage after(kJet4Format, page.view());
    EXPECT_EQ(after.rowCount(), kMaxRowsPerPage);
    EXPECT_FALSE(after.slot(10).deleted || after.slot(10).lookup);
    EXPECT_EQ(page.row(10), std::vector<uint8_t>(40, 0xAA));
    EXPECT_EQ(page.row(200), std::vector<uint8_t>(7, 0xBB));
    for (int r : {0, 9, 11, 199, 201, 254})
        EXPECT_EQ(page.row(uint8_t(r)), std::vector<uint8_t>(4, uint8_t(r))) << r;
    EXPECT_EQ(after.freeSpace(), page.expectedFree());
}

TEST(DataPageWriter, AnEmptySlotTakesOnlyWhatTheBytesLeftAllow) {
    Page page;
    // Two rows that fill the page but for 20 bytes, then 253 small ones.
    page.add(1, 2000);
    page.add(2,
             kJet4PageSize - kJet4DataPage.rowOffsets - 2 * kMaxRowsPerPage - 2000 - 253 * 4 - 20);
    for (int r = 0; r < 253; ++r) page.add(3);
    ASSERT_EQ(page.view().u16(kFreeSpace), 20);
    std::vector<uint8_t> scratch;
    replaceRow(kJet4Format, page.bytes.data(), 0, {}, kDeletedFlag, scratch);
    EXPECT_TRUE(rowFits(kJet4Format, page.view(), 2020));
    EXPECT_FALSE(rowFits(kJet4Format, page.view(), 2021));
    EXPECT_EQ(page.add(9, 2020), 0);
    EXPECT_EQ(page.view().u16(kFreeSpace), 0);
    EXPECT_EQ(page.row(1).size(), size_t(kJet4PageSize - kJet4DataPage.rowOffsets -
                                         2 * kMaxRowsPerPage - 2000 - 253 * 4 - 20));
    EXPECT_EQ(page.expectedFree(), 0u);
}

}  // namespace
}  // namespace jet
