// Syncing beside the writer: requests while one runs, a failure handed on exactly once, and a
// file large enough to start background syncs written, synced and read back whole.
#include "jet/page/background_sync.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "fixture_files.h"
#include "jet/page/page_file.h"

namespace jet {
namespace {

TEST(BackgroundSync, RequestsWhileOneRunsAndFailuresHandedOnOnce) {
    testing::ScratchDir dir;
    const auto path = dir.file("daten.bin");
    std::ofstream(path) << "Inhalt";
    {
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        {
            BackgroundSync sync(fd);
            EXPECT_EQ(sync.wait(), 0);  // nothing asked for: nothing to wait for
            for (int i = 0; i < 50; ++i) sync.request();
            EXPECT_EQ(sync.wait(), 0);
            sync.request();
        }  // destroyed with a sync asked for: it waits for it
        ::close(fd);
    }
    // A pipe cannot be synced: the failure comes back from the next wait, and only from it.
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    {
        BackgroundSync sync(pipe[1]);
        sync.request();
        EXPECT_EQ(sync.wait(), EINVAL);
        EXPECT_EQ(sync.wait(), 0);
        sync.request();
        sync.request();
        EXPECT_EQ(sync.wait(), EINVAL);
    }
    ::close(pipe[0]);
    ::close(pipe[1]);
}

TEST(BackgroundSync, AFileWrittenPastSeveralBackgroundSyncsHoldsEveryPage) {
    testing::ScratchDir dir;
    const auto path = dir.file("gross.mdb");
    std::ofstream(path).close();
    constexpr uint32_t kPages = 30000;  // about 120 MB of Jet 4 pages, flushed in parts
    {
        PageFile file(path.string(), OpenMode::Exclusive);
        for (uint32_t page = 0; page < kPages; ++page) {
            ASSERT_EQ(file.appendPage(), page);
            uint8_t* bytes = file.writablePage(page);
            bytes[0] = static_cast<uint8_t>(page);
            bytes[file.pageSize() - 1] = static_cast<uint8_t>(page >> 8);
            if (page % 1000 == 999) {
                file.flush();
                file.trimCache();
            }
        }
        file.flush();
        file.sync();
        file.sync();  // nothing new: as cheap as it is right
    }
    PageFile reopened(path.string(), OpenMode::ReadOnly);
    ASSERT_EQ(reopened.pageCount(), kPages);
    for (uint32_t page = 0; page < kPages; ++page) {
        ByteView bytes = reopened.page(page);
        ASSERT_EQ(bytes.u8(0), static_cast<uint8_t>(page)) << "Seite " << page;
        ASSERT_EQ(bytes.u8(reopened.pageSize() - 1), static_cast<uint8_t>(page >> 8));
        if (page % 1000 == 999) reopened.trimCache();
    }
}

}  // namespace
}  // namespace jet
