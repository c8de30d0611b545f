// Opening files: the header checks and the exclusive hold on a file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fixture_files.h"
#include "jet/catalog/database.h"
#include "jet/page/header.h"

namespace jet {
namespace {

using testing::ScratchDir;

int errorNumberOpening(const std::filesystem::path& path, OpenMode mode) {
    try {
        Database db(path.string(), mode);
        return 0;
    } catch (const Error& e) {
        return e.number();
    }
}

TEST(Open, HeaderOfAnAccessFile) {
    REQUIRE_FIXTURE("empty2003.mdb");
    Database db(testing::fixture("empty2003.mdb").string(), OpenMode::ReadOnly);
    EXPECT_EQ(db.header().version, 1);
    EXPECT_EQ(db.header().codePage, 1252);
    EXPECT_EQ(db.header().sortLcid, 0x0409);
    EXPECT_EQ(db.header().sortVersion, 0);
    EXPECT_EQ(db.header().encodingKey, 0u);
}

TEST(Open, RefusesWhatIsNotJet) {
    ScratchDir dir;
    int notFound = errorNumberOpening(dir.file("missing.mdb"), OpenMode::ReadOnly);
    EXPECT_EQ(notFound, int(ErrorCode::FileNotFound));

    testing::writeFile(dir.file("text.mdb"), std::vector<uint8_t>(3 * 4096, 'x'));
    EXPECT_EQ(errorNumberOpening(dir.file("text.mdb"), OpenMode::ReadOnly),
              int(ErrorCode::UnsupportedFormat));
    testing::writeFile(dir.file("short.mdb"), std::vector<uint8_t>(100, 0));
    EXPECT_EQ(errorNumberOpening(dir.file("short.mdb"), OpenMode::ReadOnly),
              int(ErrorCode::UnsupportedFormat));

    // Access 97 and ACE files are read (see jet3_read_test.cpp, ace_read_test.cpp); a version
    // byte past ACE's is refused.
    REQUIRE_FIXTURE("empty.mdb");
    auto bytes = testing::readFile(testing::fixture("empty.mdb"));
    bytes[header_layout::kVersion] = 7;
    testing::writeFile(dir.file("future.mdb"), bytes);
    EXPECT_EQ(errorNumberOpening(dir.file("future.mdb"), OpenMode::ReadOnly),
              int(ErrorCode::UnsupportedFormat));
}

TEST(Open, RefusesAnEncodedDatabase) {
    REQUIRE_FIXTURE("empty.mdb");
    ScratchDir dir;
    auto bytes = testing::readFile(testing::fixture("empty.mdb"));
    // The key lies in the masked region: flip a bit of the stored byte to make it non-zero.
    bytes[header_layout::kEncodingKey] ^= 0x01;
    testing::writeFile(dir.file("encoded.mdb"), bytes);
    try {
        Database db(dir.file("encoded.mdb").string(), OpenMode::ReadOnly);
        FAIL() << "opened an encoded database";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), int(ErrorCode::EncryptedDatabase));
        EXPECT_NE(e.description().find("verschlüsselt"), std::string::npos);
    }
}

TEST(Open, ExclusiveOpenRefusesEveryOtherOpener) {
    REQUIRE_FIXTURE("empty.mdb");
    ScratchDir dir;
    auto path = dir.copy(testing::fixture("empty.mdb"));
    {
        Database writer(path.string(), OpenMode::Exclusive);
        EXPECT_EQ(errorNumberOpening(path, OpenMode::Exclusive), int(ErrorCode::FileInUse));
        EXPECT_EQ(errorNumberOpening(path, OpenMode::ReadOnly), int(ErrorCode::FileInUse));

        // Another process is refused just the same.
        pid_t child = fork();
        if (child == 0)
            _exit(errorNumberOpening(path, OpenMode::ReadOnly) == int(ErrorCode::FileInUse) ? 0
                                                                                            : 1);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // Released with the writer; readers share the file but keep writers out.
    Database reader(path.string(), OpenMode::ReadOnly);
    EXPECT_EQ(errorNumberOpening(path, OpenMode::ReadOnly), 0);
    EXPECT_EQ(errorNumberOpening(path, OpenMode::Exclusive), int(ErrorCode::FileInUse));
}

}  // namespace
}  // namespace jet
