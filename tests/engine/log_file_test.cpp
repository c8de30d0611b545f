#include "engine/log_file.h"

#include <gtest/gtest.h>

#include <system_error>

#include "engine/cp1252.h"
#include "temp_folder.h"

namespace engine_test {
namespace {

using engine::LogFileName;

TEST(LogFileName, ReplacesTheExtensionOfTheFileName) {
    EXPECT_EQ(LogFileName(u"/daten/crm.mdb"), u"/daten/crm.LOG");
    EXPECT_EQ(LogFileName(u"C:\\Daten\\crm.mdb"), u"C:\\Daten\\crm.LOG");
    EXPECT_EQ(LogFileName(u"  /daten/crm.mdb  "), u"/daten/crm.LOG");
    EXPECT_EQ(LogFileName(u"/daten/crm.2024.mdb"), u"/daten/crm.2024.LOG");
    EXPECT_EQ(LogFileName(u"./crm.mdb"), u"./crm.LOG");
    EXPECT_EQ(LogFileName(u"crm.mdb"), u"crm.LOG");
    EXPECT_EQ(LogFileName(u"/meine daten/crm neu.mdb"), u"/meine daten/crm neu.LOG");
}

// A dot in a directory must not move the log out of the database's folder.
TEST(LogFileName, DotsInDirectoriesDoNotCount) {
    EXPECT_EQ(LogFileName(u"C:\\a.b\\crm.mdb"), u"C:\\a.b\\crm.LOG");
    EXPECT_EQ(LogFileName(u"/home/x/.local/crm.mdb"), u"/home/x/.local/crm.LOG");
    EXPECT_EQ(LogFileName(u"/srv/v1.2/crm"), u"/srv/v1.2/crm.LOG");
}

// Without a dot, a bare "LOG" in the current folder would mix the logs of every such database.
TEST(LogFileName, NameWithoutDotGetsTheSuffixAppended) {
    EXPECT_EQ(LogFileName(u"/daten/crm"), u"/daten/crm.LOG");
    EXPECT_EQ(LogFileName(u"crm"), u"crm.LOG");
}

TEST(LogFileName, NeverNamesTheDatabaseItself) {
    EXPECT_EQ(LogFileName(u"/daten/crm.LOG"), u"/daten/crm.LOG.LOG");
    EXPECT_EQ(LogFileName(u"/daten/crm.log"), u"/daten/crm.log.LOG");
    EXPECT_EQ(LogFileName(u"/daten/crm.log.mdb"), u"/daten/crm.log.LOG");
}

TEST(LogFileName, BlankPathGivesNoName) {
    EXPECT_EQ(LogFileName(u""), u"");
    EXPECT_EQ(LogFileName(u"   "), u"");
}

TEST(Cp1252, MapsLatin1AndTheHighControlRange) {
    EXPECT_EQ(engine::encodeCp1252(u"Ausführung ÄÖÜß\t"), "Ausf\xFChrung \xC4\xD6\xDC\xDF\t");
    EXPECT_EQ(engine::encodeCp1252(u"€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ"),
              "\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E\x91\x92\x93\x94\x95\x96\x97"
              "\x98\x99\x9A\x9B\x9C\x9E\x9F");
    EXPECT_EQ(engine::encodeCp1252(u"\u00A0\u00FF"), "\xA0\xFF");
    EXPECT_EQ(engine::encodeCp1252(std::u16string(1, u'\0')), std::string(1, '\0'));
}

TEST(Cp1252, WritesOneQuestionMarkPerCharacterItCannotHold) {
    EXPECT_EQ(engine::encodeCp1252(u"Łódź"),
              "?\xF3"
              "d?");
    EXPECT_EQ(engine::encodeCp1252(u"\u0080\u0081\u009F"), "???");  // C1 controls
    EXPECT_EQ(engine::encodeCp1252(u"a😀b"), "a?b");                 // a surrogate pair
    EXPECT_EQ(engine::encodeCp1252(std::u16string{u'a', 0xD800, u'b', 0xDC00}), "a?b?");
    EXPECT_EQ(engine::encodeCp1252FromUtf8("Gr\xC3\xBC\xC3\x9F\xE2\x82\xAC \xFF"),
              "Gr\xFC\xDF\x80 ?");
}

TEST(LogFile, AppendsLinesInCp1252WithCrLf) {
    TempFolder folder;
    const auto path = folder.path() / "crm.LOG";
    {
        engine::LogFile file(path);
        file.writeLine(u"Start: 08.12.2026 // 10:00:00");
        file.writeLine(u"\t\tÄrger mit €");
        file.writeLine(u"");
    }
    {
        engine::LogFile file(path);
        file.writeLine(u"Ende");
    }
    EXPECT_EQ(readBytes(path),
              "Start: 08.12.2026 // 10:00:00\r\n\t\t\xC4rger mit \x80\r\n\r\nEnde\r\n");
}

TEST(LogFile, FailuresAreReported) {
    TempFolder folder;
    EXPECT_THROW(engine::LogFile(folder.path() / "missing" / "crm.LOG"), std::system_error);
    engine::LogFile full("/dev/full");
    EXPECT_THROW(full.writeLine(u"zu viel"), std::system_error);
}

}  // namespace
}  // namespace engine_test
