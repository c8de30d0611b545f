// The page cache: pages dropped and read again, and changed again after a drop, hold what was
// written, whichever way they were last looked up.
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "fixture_files.h"
#include "jet/page/page_file.h"

namespace jet {
namespace {

uint8_t markOf(uint32_t page, int round) {
    return static_cast<uint8_t>(page * 7 + round * 31 + 1);
}

void mark(PageFile& file, uint32_t page, int round) {
    uint8_t* bytes = file.writablePage(page);
    bytes[0] = markOf(page, round);
    bytes[file.pageSize() - 1] = markOf(page, round);
}

// Every page as the rounds left it: `rounds[p]` is the round that marked page p last.
void expectMarks(PageFile& file, const std::vector<int>& rounds) {
    for (uint32_t page = 0; page < rounds.size(); ++page) {
        ByteView bytes = file.page(page);
        ASSERT_EQ(bytes.u8(0), markOf(page, rounds[page])) << "Seite " << page;
        ASSERT_EQ(bytes.u8(file.pageSize() - 1), markOf(page, rounds[page])) << "Seite " << page;
    }
}

TEST(PageCache, PagesDroppedAndLookedUpAgainHoldWhatWasWritten) {
    testing::ScratchDir dir;
    const auto path = dir.file("seiten.mdb");
    std::ofstream(path).close();
    constexpr uint32_t kPages = 64;
    std::vector<int> rounds(kPages, 0);
    {
        PageFile file(path.string(), OpenMode::Exclusive);
        for (uint32_t page = 0; page < kPages; ++page) {
            ASSERT_EQ(file.appendPage(), page);
            mark(file, page, 0);
        }
        file.flush();
        // A few pages used over and over, as a row loop does, then most of the cache dropped.
        for (int pass = 0; pass < 3; ++pass)
            for (uint32_t page : {5u, 9u, 5u, 40u, 9u, 63u, 2u, 5u, 17u, 33u, 40u}) file.page(page);
        file.trimCache(8);
        expectMarks(file, rounds);

        // Changed after the drop: the change lands on the page read back, not on a copy.
        for (uint32_t page = 0; page < kPages; page += 3) {
            mark(file, page, 1);
            rounds[page] = 1;
        }
        file.trimCache(8);  // dirty pages stay
        expectMarks(file, rounds);
        file.flush();
        file.trimCache(4);
        for (uint32_t page : {3u, 4u, 3u, 60u}) {
            mark(file, page, 2);
            rounds[page] = 2;
        }
        expectMarks(file, rounds);
        file.flush();
    }
    PageFile reopened(path.string(), OpenMode::ReadOnly);
    expectMarks(reopened, rounds);
}

}  // namespace
}  // namespace jet
