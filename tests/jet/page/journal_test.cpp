// Every flush is all or nothing: an interrupted one is rolled back by the next opener, a failed
// one at once, and a writer killed at any moment leaves a file in the state of a completed flush.
#include "jet/page/journal.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>

#include "fixture_files.h"
#include "jet/base/text.h"
#include "jet/catalog/database.h"
#include "jet/check/check.h"
#include "jet/dao/dao_database.h"
#include "jet/page/page_file.h"

namespace jet {
namespace {

constexpr const char* kFixture = "indexTestV2003.mdb";

size_t rowCount(const std::filesystem::path& path, std::u16string_view table) {
    Database db(path.string(), OpenMode::ReadOnly);
    size_t rows = 0;
    db.openTable(table).forEachRow([&](RowLocation, const std::vector<Value>&) { ++rows; });
    EXPECT_TRUE(checkDatabase(db).empty()) << path;
    return rows;
}

// What a writer killed in the middle of a flush leaves: a valid journal, some pages already
// overwritten, a page appended.
void interruptFlush(const std::filesystem::path& path) {
    const uint32_t pages = static_cast<uint32_t>(std::filesystem::file_size(path) / kJet4PageSize);
    int fd = ::open(path.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    {
        Journal journal(path.string(), kJet4PageSize);
        const std::vector<uint32_t> dirty = {2, 3, pages};
        journal.begin(fd, pages, dirty);
        std::vector<uint8_t> garbage(kJet4PageSize, 0xAB);
        for (uint32_t page : dirty)
            ASSERT_EQ(::pwrite(fd, garbage.data(), kJet4PageSize, off_t{page} * kJet4PageSize),
                      ssize_t{kJet4PageSize});
    }
    ::close(fd);
}

TEST(Journal, AnInterruptedFlushIsRolledBackByTheNextOpener) {
    REQUIRE_FIXTURE(kFixture);
    for (OpenMode mode : {OpenMode::Exclusive, OpenMode::ReadOnly}) {
        testing::ScratchDir dir;
        auto path = dir.copy(testing::fixture(kFixture));
        const auto original = testing::readFile(path);
        interruptFlush(path);
        ASSERT_TRUE(Journal::exists(path.string()));
        ASSERT_NE(testing::readFile(path), original);
        {
            PageFile file(path.string(), mode);
            EXPECT_TRUE(file.recovered());
            EXPECT_EQ(file.pageCount(), original.size() / kJet4PageSize);
        }
        EXPECT_EQ(testing::readFile(path), original);
        EXPECT_FALSE(Journal::exists(path.string()));
    }
}

// The checksum of the first journal format, as those builds wrote it.
uint64_t firstFormatChecksum(uint32_t page, const uint8_t* bytes) {
    constexpr uint64_t kPrime = 0x100000001b3ull;
    uint64_t hash = 0xcbf29ce484222325ull;
    uint64_t lane[4] = {hash ^ page, hash + 1, hash + 2, hash + 3};
    for (size_t i = 0; i < kJet4PageSize; i += 32) {
        for (size_t k = 0; k < 4; ++k) {
            uint64_t word;
            std::memcpy(&word, bytes + i + 8 * k, sizeof word);
            lane[k] = (lane[k] ^ word) * kPrime;
            lane[k] ^= lane[k] >> 29;
        }
    }
    for (uint64_t l : lane) hash = (hash ^ l) * kPrime;
    return hash;
}

template <typename T>
void putLittle(std::vector<uint8_t>& out, size_t at, T value) {
    for (size_t i = 0; i < sizeof value; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(Journal, AFirstFormatJournalIsRolledBackAndADamagedOneIgnored) {
    REQUIRE_FIXTURE(kFixture);
    testing::ScratchDir dir;
    auto path = dir.copy(testing::fixture(kFixture));
    const auto original = testing::readFile(path);
    const auto pages = static_cast<uint32_t>(original.size() / kJet4PageSize);

    // A writer of the first builds killed after overwriting page 2.
    std::vector<uint8_t> journal(journal_layout::kHeaderSize + 4 + kJet4PageSize);
    std::memcpy(journal.data(), journal_layout::kMagicFirst, 8);
    putLittle<uint32_t>(journal, 8, pages);
    putLittle<uint32_t>(journal, 12, 1);
    putLittle<uint32_t>(journal, journal_layout::kHeaderSize, 2);
    std::memcpy(journal.data() + journal_layout::kHeaderSize + 4,
                original.data() + 2 * kJet4PageSize, kJet4PageSize);
    putLittle<uint64_t>(journal, 16, firstFormatChecksum(2, original.data() + 2 * kJet4PageSize));
    testing::writeFile(Journal::pathFor(path.string()), journal);
    auto damaged = original;
    std::fill_n(damaged.begin() + 2 * kJet4PageSize, kJet4PageSize, uint8_t{0xAB});
    testing::writeFile(path, damaged);
    {
        PageFile file(path.string(), OpenMode::ReadOnly);
        EXPECT_TRUE(file.recovered());
    }
    EXPECT_EQ(testing::readFile(path), original);

    // A journal of today whose saved page was cut short is no journal: the file stays as it is.
    interruptFlush(path);
    const auto interrupted = testing::readFile(path);
    auto written = testing::readFile(Journal::pathFor(path.string()));
    written[journal_layout::kHeaderSize + 4 + 1000] ^= 0x01;
    testing::writeFile(Journal::pathFor(path.string()), written);
    {
        PageFile file(path.string(), OpenMode::ReadOnly);
        EXPECT_FALSE(file.recovered());
    }
    EXPECT_EQ(testing::readFile(path), interrupted);
}

TEST(Journal, AVoidJournalChangesNothingAndACleanCloseLeavesNone) {
    REQUIRE_FIXTURE(kFixture);
    testing::ScratchDir dir;
    auto path = dir.copy(testing::fixture(kFixture));
    {
        dao::DBEngine engine;
        auto db = engine.OpenDatabase(path.string(), true);
        db->Execute(u"DELETE FROM Table3");
        db->flush();
        EXPECT_TRUE(Journal::exists(path.string()));  // kept open, voided, between flushes
        db->Close();
    }
    EXPECT_FALSE(Journal::exists(path.string()));
    const auto flushed = testing::readFile(path);
    // A journal whose header was never completed, as a writer killed while writing it leaves.
    testing::writeFile(Journal::pathFor(path.string()), std::vector<uint8_t>(100, 0x11));
    {
        PageFile file(path.string(), OpenMode::Exclusive);
        EXPECT_FALSE(file.recovered());
    }
    EXPECT_EQ(testing::readFile(path), flushed);
    EXPECT_EQ(rowCount(path, u"Table3"), 0u);
}

// RLIMIT_FSIZE stands in for a full disk: writes past it fail with EFBIG.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previous_);
    }

  private:
    rlimit saved_{};
    sighandler_t previous_;
};

TEST(Journal, AFailedFlushIsRolledBackAtOnceAndRefusesFurtherChanges) {
    REQUIRE_FIXTURE(kFixture);
    testing::ScratchDir dir;
    auto path = dir.copy(testing::fixture(kFixture));
    const auto original = testing::readFile(path);
    dao::DBEngine engine;
    auto db = engine.OpenDatabase(path.string(), true);
    db->Execute(u"DELETE FROM Table3");
    auto rs = db->OpenRecordset(u"Table3");
    for (int32_t i = 0; i < 3000; ++i) {
        rs->AddNew();
        rs->Fields(u"id").SetValue(i);
        rs->Fields(u"data").SetValue(fromUtf8("Zeile " + std::to_string(i) + std::string(30, 'x')));
        rs->Update();
    }
    int number = 0;
    {
        FileSizeLimit limit(original.size() + 4 * kJet4PageSize);
        try {
            db->flush();
        } catch (const Error& e) {
            number = e.number();
        }
    }
    EXPECT_EQ(number, int(ErrorCode::IoFailure));
    EXPECT_EQ(testing::readFile(path), original);
    rs->AddNew();
    rs->Fields(u"id").SetValue(int32_t{99999});
    EXPECT_THROW(rs->Update(), Error);
    rs->Close();
    EXPECT_THROW(db->Close(), Error);
    db.reset();
    EXPECT_EQ(testing::readFile(path), original);
    EXPECT_EQ(rowCount(path, u"Table3"), rowCount(testing::fixture(kFixture), u"Table3"));
}

// A real writer killed at random moments: the file always opens clean, holding the rows of a
// completed flush (every 100 rows).
TEST(Journal, AWriterKilledAtAnyMomentLeavesACompletedFlush) {
    REQUIRE_FIXTURE(kFixture);
    std::mt19937 random(20261208);
    for (int run = 0; run < 6; ++run) {
        testing::ScratchDir dir;
        auto path = dir.copy(testing::fixture(kFixture));
        const size_t before = rowCount(path, u"Table3");
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            dao::DBEngine engine;
            auto db = engine.OpenDatabase(path.string(), true);
            db->Execute(u"DELETE FROM Table3");
            auto rs = db->OpenRecordset(u"Table3");
            for (int32_t i = 0;; ++i) {
                rs->AddNew();
                rs->Fields(u"id").SetValue(i);
                rs->Fields(u"data").SetValue(fromUtf8("Zeile " + std::to_string(i)));
                rs->Update();
                if (i % 100 == 99) engine.Idle(dao::dbRefreshCache);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50 + random() % 400));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const size_t rows = rowCount(path, u"Table3");
        EXPECT_TRUE(rows % 100 == 0 || rows == before) << rows << " rows in run " << run;
    }
}

}  // namespace
}  // namespace jet
