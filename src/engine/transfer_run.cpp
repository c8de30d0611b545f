#include "engine/transfer_run.h"

#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "engine/activity_log.h"
#include "engine/row_copy.h"
#include "engine/run_context.h"
#include "engine/run_failure.h"
#include "engine/run_texts.h"
#include "engine/staged_replacement.h"
#include "engine/target_preparation.h"
#include "jet/base/text.h"
#include "jet/dao/dao_database.h"
#include "jet/table/table_write_refusal.h"
#include "odbc/environment.h"

namespace engine {

namespace {

std::u16string trimBlanks(std::u16string_view text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) {
        return {};
    }
    return std::u16string(text.substr(first, text.find_last_not_of(u' ') - first + 1));
}

// The state of one run, from its connections to its open database. Members are released in
// reverse order when the run returns, whichever way it ends.
class TransferRun {
  public:
    TransferRun(RunContext& run, const CrmTableList& crmTables, std::u16string path)
        : run_(run), crmTables_(crmTables), path_(std::move(path)) {}

    RunOutcome perform() {
        setUp();
        walkTables();
        return tearDown();
    }

    // After a failure: the database written and released, the server side let go.
    void closeAfterFailure() noexcept {
        if (database_) {
            try {
                database_->Close();
            } catch (...) {
            }
            database_.reset();
        }
        main_.reset();
        count_.reset();
    }

  private:
    void line(std::u16string_view text, bool toLogFile) {
        run_.log.AddActivityLine(text, toLogFile);
    }
    std::u16string dateAndTime() const {
        const LocalDateTime now = run_.clock.now();
        return DateText(now) + u" // " + TimeText(now);
    }

    void setUp();
    void openConnections();
    void removeRelations();
    void walkTables();
    void processTable(size_t index);
    bool isSelected(std::u16string_view tableName) const;
    bool refusesChanges(const jet::dao::TableDef& matched);
    void copyTable(const jet::dao::TableDef& matched, const std::string& serverName,
                   const std::u16string& tableName);
    RunOutcome tearDown();

    RunContext& run_;
    const CrmTableList& crmTables_;
    std::u16string path_;
    std::optional<odbc::Environment> mainEnvironment_;
    std::optional<odbc::Connection> main_;
    std::optional<odbc::Environment> countEnvironment_;
    std::optional<odbc::Connection> count_;
    std::unique_ptr<jet::dao::Database> database_;
};

void TransferRun::setUp() {
    run_.log.openLogFile(path_);
    run_.window.clearList();
    line(u"Start: " + dateAndTime(), true);
    line(u"", false);
    openConnections();
    run_.window.setText(TextBox::Text1, jet::fromUtf8(main_->dataSourceName()));
    database_ = run_.dbEngine.OpenDatabase(jet::toUtf8(path_), true);
    removeRelations();
    line(u"Tabellennamen aus SQL-Datenbank auslesen...", false);
    odbc::TableList& tables = main_->tables();
    tables.refresh();
    run_.window.setProgressMax(ProgressBar::ProgressBar1, static_cast<float>(tables.count()));
    run_.window.clearAbortRequest();
    run_.window.setCaption(StatusLabel::Label_Start, TimeText(run_.clock.now()));
    run_.window.setCaption(StatusLabel::Label_Ende, u"?");
    line(u"", false);
}

void TransferRun::openConnections() {
    const std::string user = jet::toUtf8(run_.window.text(TextBox::Text4));
    const std::string password = jet::toUtf8(run_.window.text(TextBox::Text5));
    mainEnvironment_.emplace(odbc::createEnvironment("SQL_Vantor", user, password));
    mainEnvironment_->setCursorDriver(run_.optionSet(ServerOption::Opt_MS)
                                          ? odbc::CursorDriver::UseServer
                                          : odbc::CursorDriver::UseNone);
    if (run_.optionSet(ServerOption::OPT_SYB)) {
        mainEnvironment_->setCursorDriver(odbc::CursorDriver::UseOdbc);
    }
    main_.emplace(mainEnvironment_->openConnection(jet::toUtf8(run_.window.text(TextBox::Text1))));
    main_->setQueryTimeout(0);

    countEnvironment_.emplace(odbc::createEnvironment("SQL_Vantor_Count", user, password));
    countEnvironment_->setCursorDriver(odbc::CursorDriver::UseNone);
    count_.emplace(
        countEnvironment_->openConnection(jet::toUtf8(run_.window.text(TextBox::Text1)), true));
    count_->setQueryTimeout(0);
}

void TransferRun::removeRelations() {
    jet::dao::Relations relations = database_->GetRelations();
    while (relations.Count() > 0) {
        const std::u16string name = relations.Item(0).Name();
        relations.Delete(name);
    }
}

void TransferRun::walkTables() {
    const size_t tableCount = main_->tables().count();
    for (size_t index = 0; index < tableCount; ++index) {
        processTable(index);
        if (run_.window.abortRequested()) {
            return;
        }
    }
}

bool TransferRun::isSelected(std::u16string_view tableName) const {
    bool selected = true;
    if (run_.window.checkValue(CheckBox::Check_nurCRMTabellen) == 1 &&
        !IsCrmTable(crmTables_, tableName)) {
        selected = false;
    }
    const std::u16string filter = run_.window.text(TextBox::Text3);
    if (!filter.empty() && !jet::equalIgnoringCase(tableName, filter)) {
        selected = false;
    }
    return selected;
}

void TransferRun::processTable(size_t index) {
    run_.window.setProgressValue(ProgressBar::ProgressBar1, static_cast<float>(index + 1));
    const std::string serverName = main_->tables().item(index).name();
    const std::u16string tableName = jet::fromUtf8(serverName);
    if (!isSelected(tableName)) {
        return;
    }
    if (run_.optionSet(ServerOption::Opt_MS) || run_.optionSet(ServerOption::OPT_SYB)) {
        line(u"SQL: " + tableName, true);
    }
    // A snapshot: the preparation and the replacement change the table list underneath.
    const jet::dao::TableDefs tableDefs = database_->GetTableDefs();
    for (const jet::dao::TableDef& matched : tableDefs) {
        if (jet::equalIgnoringCase(matched.Name(), tableName)) {
            copyTable(matched, serverName, tableName);
            return;
        }
    }
    if (!run_.optionSet(ServerOption::Opt_Ora)) {
        line(u"\tNICHT IN ACCESS-Datenbank !!!", true);
    }
}

// A table whose rows the engine does not change (attachments, calculated fields) fails on its
// own, before anything of it is emptied or copied; the run goes on with the next table.
bool TransferRun::refusesChanges(const jet::dao::TableDef& matched) {
    try {
        jet::requireWritableTable(database_->storage().file().format(), matched.definition());
        return false;
    } catch (const jet::Error&) {
        line(u"\t" + FailureLine(DescribeFailure(std::current_exception())), true);
        line(u"*!*!* Bearbeitung der Tabelle abgebrochen !*!*!", true);
        line(u"", false);
        return true;
    }
}

void TransferRun::copyTable(const jet::dao::TableDef& matched, const std::string& serverName,
                            const std::u16string& tableName) {
    if (run_.optionSet(ServerOption::Opt_Ora)) {
        line(u"SQL: " + tableName, true);
    }
    if (refusesChanges(matched)) return;
    // Check_Safety as the preparation read it decides the table's target; the replacement
    // reads it again and acts only on the staging table made here.
    std::unique_ptr<jet::dao::TableDef> staging =
        PrepareTargetTable(run_, *database_, matched, tableName);
    const RowCopyTarget target{serverName, tableName, staging ? staging->Name() : tableName};
    const bool tableFailed = CopyRows(run_, *main_, *count_, *database_, target);
    ReplaceWithStaging(run_, *database_, staging.get(), tableName, tableFailed);
    // A table's end is what survives a power cut: its rows (or its swap) are written and on
    // the disk before the next table's line appears in the log file.
    database_->flush();
    database_->storage().file().sync();
}

RunOutcome TransferRun::tearDown() {
    database_->Close();
    database_.reset();
    main_->close();
    mainEnvironment_->close();
    count_->close();
    countEnvironment_->close();
    line(u"", false);
    const bool aborted = run_.window.abortRequested();
    if (aborted) {
        line(u"*!*!* Ausführung abgebrochen *!*!*", true);
    }
    run_.window.setCaption(StatusLabel::Label_Ende, TimeText(run_.clock.now()));
    run_.window.setBusy(false);
    run_.window.setStartEnabled(true);
    line(u"", false);
    line(u"Ende: " + dateAndTime(), true);
    run_.log.closeLogFile();
    return aborted ? RunOutcome::Aborted : RunOutcome::Completed;
}

// The failure as a line, everything closed, then handed to the window.
[[noreturn]] void endWithFailure(RunContext& run, TransferRun& transfer,
                                 const std::exception_ptr& caught) {
    const RunFailure failure = DescribeFailure(caught);
    try {
        run.log.AddActivityLine(FailureLine(failure), true);
    } catch (...) {
    }
    transfer.closeAfterFailure();
    try {
        run.log.closeLogFile();
    } catch (...) {
    }
    run.window.setBusy(false);
    throw failure;
}

}  // namespace

RunOutcome RunTransfer(RunWindow& window, jet::dao::DBEngine& dbEngine,
                       const CrmTableList& crmTables, const Clock& clock) {
    window.setBusy(true);
    window.setStartEnabled(false);
    std::u16string path = trimBlanks(window.text(TextBox::Text2));
    if (path.empty()) {
        window.setStartEnabled(true);
        window.setBusy(false);
        return RunOutcome::Completed;
    }
    ActivityLog log(window);
    RunContext run{window, log, dbEngine, clock, jet::ValueLocale{}};
    TransferRun transfer(run, crmTables, std::move(path));
    try {
        return transfer.perform();
    } catch (...) {
        endWithFailure(run, transfer, std::current_exception());
    }
}

}  // namespace engine
