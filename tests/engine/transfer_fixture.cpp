#include "transfer_fixture.h"

#include <cstdio>
#include <memory>

#include "jet/base/text.h"
#include "odbc/environment.h"
#include "test_sources.h"

namespace engine_test {

namespace fs = std::filesystem;

std::string runCommand(const std::string& command, int* status) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[4096];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    const int code = pclose(pipe);
    if (status) *status = WIFEXITED(code) ? WEXITSTATUS(code) : -1;
    return output;
}

TransferTest::TransferTest() {
    odbc_test::resetSqliteDatabase();
    window.texts[engine::TextBox::Text1] = jet::fromUtf8(odbc_test::kSqliteDsn);
    engine::FillCrmTableList(crmTables);
}

namespace {

// Copies `from` to `to`, writable, if it exists.
bool copyFixture(const fs::path& from, const fs::path& to) {
    if (!fs::exists(from)) return false;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write);
    return true;
}

}  // namespace

bool TransferTest::useAceFixture(const std::string& name) {
    const fs::path to = folder.path() / "ziel.accdb";
    if (!copyFixture(fs::path(SQLVANTOR_FIXTURES) / "ace" / name, to)) return false;
    useTarget(to);
    return true;
}

bool TransferTest::useFixture(const std::string& name, const std::string& kind) {
    const fs::path from = fs::path(SQLVANTOR_FIXTURES) / kind / name;
    if (!fs::exists(from)) return false;
    const fs::path to = folder.path() / "ziel.mdb";
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write);
    useTarget(to);
    return true;
}

void TransferTest::useTarget(const fs::path& file) {
    target_ = file;
    window.texts[engine::TextBox::Text2] = jet::fromUtf8(target_.string());
}

void TransferTest::source(const std::string& sql) {
    odbc::Environment environment = odbc::createEnvironment("Test", "", "");
    odbc::Connection connection = environment.openConnection(odbc_test::kSqliteDsn);
    connection.execute(sql);
}

engine::RunOutcome TransferTest::run() {
    return engine::RunTransfer(window, dbEngine, crmTables, clock);
}

std::string TransferTest::logBytes() const {
    return readBytes(folder.path() / "ziel.LOG");
}

std::string TransferTest::fileBlock(const Lines& lines) {
    std::string bytes;
    for (const std::u16string& line : lines) bytes += engine::encodeCp1252(line) + "\r\n";
    return bytes + "\r\n";
}

Lines TransferTest::opening() {
    return {std::u16string(kStartLine), u"", u"Tabellennamen aus SQL-Datenbank auslesen...", u""};
}

Lines TransferTest::closing(bool aborted) {
    Lines lines{u""};
    if (aborted) lines.push_back(u"*!*!* Ausführung abgebrochen *!*!*");
    lines.push_back(u"");
    lines.push_back(std::u16string(kEndLine));
    return lines;
}

std::string TransferTest::checkTarget() const {
    int status = 0;
    std::string out =
        runCommand(std::string(JETTOOL_PATH) + " check '" + target_.string() + "' 2>&1", &status);
    return status == 0 ? "" : out + " (exit " + std::to_string(status) + ")";
}

std::string TransferTest::exportTable(const std::string& table) const {
    return runCommand("mdb-export '" + target_.string() + "' '" + table + "' 2>&1");
}

std::vector<std::string> TransferTest::tableNames() const {
    std::vector<std::string> names;
    std::string all = runCommand("mdb-tables -1 '" + target_.string() + "'");
    size_t at = 0;
    while (at < all.size()) {
        size_t end = all.find('\n', at);
        if (end == std::string::npos) end = all.size();
        if (end > at) names.push_back(all.substr(at, end - at));
        at = end + 1;
    }
    return names;
}

void TransferTest::expectTypedTable1Arrives() {
    window.texts[engine::TextBox::Text3] = u"table1";
    try {
        EXPECT_EQ(run(), engine::RunOutcome::Completed);
    } catch (const engine::RunFailure& failure) {
        FAIL() << failure.number << ": " << jet::toUtf8(failure.description);
    }
    EXPECT_EQ(window.list[4], u"SQL: Table1");
    EXPECT_EQ(window.list[6], u"\t2 Zeilen zu bearbeiten.");
    EXPECT_EQ(exportTable("Table1"),
              "A,B,C,D,E,F,G,H,I\n"
              "\"Größe\",\"Ärger €\",255,-32768,2147483647,0.1,\"02/29/24 13:14:15\",12345.6789,1\n"
              "\"leer\",,,,,,,,0\n");
    EXPECT_EQ(checkTarget(), "");
}

}  // namespace engine_test
