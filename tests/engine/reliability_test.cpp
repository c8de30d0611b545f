// What a run does when the file cannot grow (a full disk, Jet's 2 GB) and where the password
// goes: the failure ends the run by the failure rule, the Access file stays in the state of its
// last completed flush, and the password shows up nowhere the operator or a log reader sees.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "jet/base/errors.h"
#include "jet/base/text.h"
#include "jet/dao/dao_database.h"
#include "jet/page/page_file.h"
#include "test_sources.h"
#include "transfer_fixture.h"

namespace engine_test {
namespace {

using engine::RunFailure;
using engine::TextBox;

// RLIMIT_FSIZE as a full disk: writes past it fail with EFBIG. Lowered from inside the run
// (at a yield), put back when the test lets go of it.
class FileSizeLimit {
  public:
    FileSizeLimit() {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = ::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    void lowerTo(uintmax_t bytes) {
        rlimit limit = saved_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }

  private:
    rlimit saved_{};
    sighandler_t previous_;
};

class ReliabilityTest : public TransferTest {
  protected:
    void SetUp() override {
        if (!useFixture("testV2000.mdb")) GTEST_SKIP() << "fixture testV2000.mdb is missing";
        window.texts[TextBox::Text3] = u"table1";
    }
    std::optional<RunFailure> failingRun() {
        try {
            run();
        } catch (const RunFailure& failure) {
            return failure;
        }
        return std::nullopt;
    }
    // Rows for Table1 whose texts need new pages long before the run ends.
    void manyRows(int count = 2000) {
        source("CREATE TABLE Table1 (A TEXT, B TEXT, I INTEGER)");
        source(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(count - 1) +
            ")"
            " INSERT INTO Table1 SELECT printf('Zeile %04d', i), printf('%.90c', 'x'), 1 FROM n");
    }
    std::string firstRows(int rows) const {
        std::string csv = "A,B,C,D,E,F,G,H,I\n";
        char line[200];
        for (int i = 0; i < rows; ++i) {
            std::snprintf(line, sizeof line, "\"Zeile %04d\",\"%s\",0,0,0,0,,0.0000,1\n", i,
                          std::string(90, 'x').c_str());
            csv += line;
        }
        return csv;
    }
};

// The disk fills after the first flush of the table (99 rows; the pause before it makes the
// refresh at row 100 due): the next flush fails and is rolled back, the run reports it and
// ends, and the file holds exactly those 99 rows.
TEST_F(ReliabilityTest, FullDiskEndsTheRunWithTheLastCompletedFlushOnDisk) {
    manyRows();
    FileSizeLimit limit;
    window.onYield = [&](FakeWindow&, int) {
        const float position = window.progressValue[engine::ProgressBar::ProgressBar2];
        if (position == 90) std::this_thread::sleep_for(jet::dao::Database::kRefreshInterval);
        if (position == 150)
            limit.lowerTo(std::filesystem::file_size(target()) + jet::kJet4PageSize);
    };
    const std::optional<RunFailure> failure = failingRun();
    window.onYield = nullptr;
    limit.lowerTo(RLIM_INFINITY);
    ASSERT_TRUE(failure.has_value()) << "the run did not fail";
    EXPECT_EQ(failure->number, static_cast<int32_t>(jet::ErrorCode::IoFailure));
    EXPECT_NE(failure->description.find(u"die Datei hat die zulässige Höchstgröße erreicht"),
              std::u16string::npos)
        << jet::toUtf8(failure->description);
    const std::u16string line = u"Fehler 3026: " + failure->description;
    EXPECT_EQ(window.list.back(), line);
    // The failure is the log file's last line, the block's closing empty line after it.
    const std::string log = logBytes();
    const std::string lastLine = engine::encodeCp1252(line) + "\r\n\r\n";
    ASSERT_GE(log.size(), lastLine.size());
    EXPECT_EQ(log.substr(log.size() - lastLine.size()), lastLine);
    EXPECT_EQ(checkTarget(), "");
    EXPECT_EQ(exportTable("Table1"), firstRows(99));
    EXPECT_FALSE(std::filesystem::exists(target().string() + "-journal"));
    EXPECT_NO_THROW(dbEngine.OpenDatabase(target().string(), true)->Close());
}

// A file a few pages short of 2 GB (the gap sparse, so it costs no disk): the row that would
// pass the limit is refused with 3633, and the rows of the last completed flush stay.
TEST_F(ReliabilityTest, TwoGigabyteLimitEndsTheRunWithDatabaseFull) {
    manyRows(20000);
    std::filesystem::resize_file(
        target(), uintmax_t{jet::kJet4Format.limits.maxPages - 8} * jet::kJet4PageSize);
    const std::optional<RunFailure> failure = failingRun();
    ASSERT_TRUE(failure.has_value()) << "the run did not fail";
    EXPECT_EQ(failure->number, static_cast<int32_t>(jet::ErrorCode::DatabaseFull));
    EXPECT_NE(failure->description.find(u"Höchstgröße von 2 GB"), std::u16string::npos);
    EXPECT_EQ(window.list.back(), u"Fehler 3633: " + failure->description);
    EXPECT_LE(std::filesystem::file_size(target()), uintmax_t{0x80000000u});
    // The whole check reads 2 GB of zero pages; the table read back is what matters here.
    const std::string rows = exportTable("Table1");
    EXPECT_EQ(rows.substr(0, 18), "A,B,C,D,E,F,G,H,I\n");
    EXPECT_NO_THROW(dbEngine.OpenDatabase(target().string(), true)->Close());
}

constexpr std::u16string_view kSecret = u"Geheim-Pa55wort-äöü";

void expectNoSecret(const FakeWindow& window, const std::string& log,
                    const std::u16string& failureText) {
    for (const std::u16string& line : window.list)
        EXPECT_EQ(line.find(kSecret), std::u16string::npos) << jet::toUtf8(line);
    EXPECT_EQ(window.text(TextBox::Text1).find(kSecret), std::u16string::npos);
    EXPECT_EQ(log.find(engine::encodeCp1252(kSecret)), std::string::npos);
    EXPECT_EQ(log.find("Pa55wort"), std::string::npos);
    EXPECT_EQ(failureText.find(kSecret), std::u16string::npos);
}

TEST_F(ReliabilityTest, PasswordOfASuccessfulRunStaysOutOfTextsAndLog) {
    source("CREATE TABLE Table1 (A TEXT, I INTEGER)");
    source("INSERT INTO Table1 VALUES ('eins', 1)");
    window.texts[TextBox::Text4] = u"anwender";
    window.texts[TextBox::Text5] = std::u16string(kSecret);
    EXPECT_EQ(run(), engine::RunOutcome::Completed);
    expectNoSecret(window, logBytes(), u"");
}

TEST_F(ReliabilityTest, PasswordStaysOutOfTheFailureForAnUnknownDataSource) {
    window.texts[TextBox::Text1] = u"gibt_es_nicht";
    window.texts[TextBox::Text5] = std::u16string(kSecret);
    const std::optional<RunFailure> failure = failingRun();
    ASSERT_TRUE(failure.has_value());
    expectNoSecret(window, logBytes(), failure->description);
}

// PostgreSQL checks passwords: a wrong one is refused, and the refusal names the user only.
TEST_F(ReliabilityTest, PasswordTheServerRejectsStaysOutOfTheFailure) {
    const auto login = odbc_test::postgresLogin();
    if (!login) GTEST_SKIP() << "no PostgreSQL: run under scripts/throwaway-postgres";
    window.texts[TextBox::Text1] = jet::fromUtf8(login->dsn);
    window.texts[TextBox::Text4] = jet::fromUtf8(login->user);
    window.texts[TextBox::Text5] = std::u16string(kSecret);
    const std::optional<RunFailure> failure = failingRun();
    ASSERT_TRUE(failure.has_value()) << "the server took a wrong password";
    // psqlODBC reports the refusal as a failed connection (08001), not as the server's 28P01.
    EXPECT_NE(failure->description.find(u"08001"), std::u16string::npos)
        << jet::toUtf8(failure->description);
    expectNoSecret(window, logBytes(), failure->description);
}

}  // namespace
}  // namespace engine_test
