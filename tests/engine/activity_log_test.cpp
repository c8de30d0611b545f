#include "engine/activity_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fake_window.h"
#include "jet/base/text.h"
#include "temp_folder.h"

namespace engine_test {
namespace {

using Calls = std::vector<std::string>;

class ActivityLogTest : public ::testing::Test {
  protected:
    std::u16string accessPath() const {
        return jet::fromUtf8((folder.path() / "crm.mdb").string());
    }
    std::filesystem::path logPath() const { return folder.path() / "crm.LOG"; }

    TempFolder folder;
    FakeWindow window;
    engine::ActivityLog log{window};
};

TEST_F(ActivityLogTest, AddsToTheListSelectsItAndYieldsAfterEveryLine) {
    log.AddActivityLine(u"\tNICHT IN ACCESS-Datenbank !!!", true);  // no file open: list only
    log.AddActivityLine();
    log.AddActivityLine(u"SQL: KUNDEN");
    EXPECT_EQ(window.list, (std::vector<std::u16string>{u"\tNICHT IN ACCESS-Datenbank !!!", u"",
                                                        u"SQL: KUNDEN"}));
    EXPECT_EQ(window.selectedIndex, 2);
    EXPECT_EQ(window.calls, (Calls{"add", "yield", "add", "yield", "add", "yield"}));
    EXPECT_FALSE(std::filesystem::exists(logPath()));
}

TEST_F(ActivityLogTest, OnlyFlaggedLinesReachTheFile) {
    log.openLogFile(u"  " + accessPath() + u" ");
    ASSERT_TRUE(log.isLogFileOpen());
    log.AddActivityLine(u"Start: 08.12.2026 // 10:00:00", true);
    log.AddActivityLine(u"", false);
    log.AddActivityLine(u"\t\tFeld zu groß", true);
    log.AddActivityLine(u"", true);
    log.AddActivityLine();
    log.closeLogFile();
    EXPECT_FALSE(log.isLogFileOpen());
    EXPECT_EQ(window.list.size(), 5u);
    EXPECT_EQ(readBytes(logPath()),
              "Start: 08.12.2026 // 10:00:00\r\n\t\tFeld zu gro\xDF\r\n\r\n\r\n");
}

TEST_F(ActivityLogTest, TwoRunsLeaveTwoBlocksOldestFirst) {
    for (const char16_t* run : {u"1", u"2"}) {
        log.openLogFile(accessPath());
        log.AddActivityLine(std::u16string(u"Start: ") + run, true);
        log.AddActivityLine(std::u16string(u"Ende: ") + run, true);
        log.closeLogFile();
    }
    const std::string twoBlocks = "Start: 1\r\nEnde: 1\r\n\r\nStart: 2\r\nEnde: 2\r\n\r\n";
    EXPECT_EQ(readBytes(logPath()), twoBlocks);
    log.closeLogFile();  // nothing open: no further line
    EXPECT_EQ(readBytes(logPath()), twoBlocks);
}

TEST_F(ActivityLogTest, LineStaysInTheListWhenTheFileWriteFails) {
    std::filesystem::create_symlink("/dev/full", logPath());
    log.openLogFile(accessPath());
    EXPECT_THROW(log.AddActivityLine(u"Start", true), std::system_error);
    EXPECT_EQ(window.list, std::vector<std::u16string>{u"Start"});
    EXPECT_EQ(window.calls, Calls{"add"});
    EXPECT_THROW(log.closeLogFile(), std::system_error);
    EXPECT_FALSE(log.isLogFileOpen());
}

}  // namespace
}  // namespace engine_test
