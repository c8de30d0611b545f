// A failure the run does not catch: the line with its number and description in the list and
// the log file, the Access file closed and consistent, then RunFailure for the window.
#include <gtest/gtest.h>

#include "jet/base/errors.h"
#include "jet/base/text.h"
#include "transfer_fixture.h"

namespace engine_test {
namespace {

using engine::RunFailure;
using engine::TextBox;

class RunFailureTest : public TransferTest {
  protected:
    void SetUp() override {
        if (!useFixture("testV2000.mdb")) GTEST_SKIP() << "fixture testV2000.mdb is missing";
    }
    RunFailure failingRun() {
        try {
            run();
        } catch (const RunFailure& failure) {
            return failure;
        }
        ADD_FAILURE() << "the run did not fail";
        return {};
    }
};

TEST_F(RunFailureTest, UnknownDataSourceIsLoggedBeforeItEndsTheRun) {
    window.texts[TextBox::Text1] = u"gibt_es_nicht";
    const RunFailure failure = failingRun();
    const std::u16string line =
        u"Fehler " + jet::fromUtf8(std::to_string(failure.number)) + u": " + failure.description;
    EXPECT_NE(failure.description.find(u"IM002"), std::u16string::npos);
    EXPECT_EQ(window.list, (Lines{std::u16string(kStartLine), u"", line}));
    EXPECT_EQ(logBytes(), fileBlock({std::u16string(kStartLine), line}));
    EXPECT_FALSE(window.busy);
    EXPECT_FALSE(window.startEnabled);
}

// A duplicate primary key makes Update fail; the rows before stay, the file is whole and
// released, so it opens again at once.
TEST_F(RunFailureTest, RefusedUpdateClosesTheDatabaseCleanly) {
    source("CREATE TABLE Table1 (A TEXT, I INTEGER)");
    source("INSERT INTO Table1 VALUES ('gut', 1), ('gut', 0)");
    const RunFailure failure = failingRun();
    EXPECT_EQ(failure.number, static_cast<int32_t>(jet::ErrorCode::DuplicateKey));
    EXPECT_EQ(window.list.back(), u"Fehler 3022: " + failure.description);
    EXPECT_EQ(exportTable("Table1"), "A,B,C,D,E,F,G,H,I\n\"gut\",,0,0,0,0,,0.0000,1\n");
    EXPECT_EQ(checkTarget(), "");
    EXPECT_NO_THROW(dbEngine.OpenDatabase(target().string(), true)->Close());
    EXPECT_EQ(logBytes(), fileBlock({std::u16string(kStartLine), u"SQL: Table1",
                                     u"Fehler 3022: " + failure.description}));
}

TEST_F(RunFailureTest, MissingAccessFileIsReported) {
    window.texts[TextBox::Text2] = jet::fromUtf8((folder.path() / "fehlt.mdb").string());
    const RunFailure failure = failingRun();
    EXPECT_EQ(failure.number, static_cast<int32_t>(jet::ErrorCode::FileNotFound));
    EXPECT_EQ(readBytes(folder.path() / "fehlt.LOG"),
              fileBlock({std::u16string(kStartLine), u"Fehler 3024: " + failure.description}));
}

}  // namespace
}  // namespace engine_test
