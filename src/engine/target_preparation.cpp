#include "engine/target_preparation.h"

#include "engine/sql_names.h"

namespace engine {

namespace {

// Runs `step`, ignoring any failure: the staging copy takes what the engine accepts.
template <typename Step>
void tryStep(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

void copyField(jet::dao::TableDef& staging, const jet::dao::Field& source) {
    jet::dao::Field field = staging.CreateField(source.Name(), source.Type(), source.Size());
    tryStep([&] { field.SetAllowZeroLength(source.AllowZeroLength()); });
    tryStep([&] { field.SetAttributes(source.Attributes()); });
    tryStep([&] { field.SetDefaultValue(source.DefaultValue()); });
    tryStep([&] { field.SetRequired(source.Required()); });
    tryStep([&] { staging.GetFields().Append(field); });
}

std::unique_ptr<jet::dao::TableDef> buildStaging(RunContext& run, jet::dao::Database& db,
                                                 const jet::dao::TableDef& matched,
                                                 std::u16string_view tableName) {
    const std::u16string name = StagingName(tableName);
    // A fresh collection each time: the caller walks a snapshot of its own.
    tryStep([&] { db.GetTableDefs().Delete(name); });
    std::unique_ptr<jet::dao::TableDef> staging = db.CreateTableDef(name);
    for (const jet::dao::Field& field : matched.GetFields()) {
        copyField(*staging, field);
    }
    // The swapped-in table keeps its keys, indexes and rules, not only its fields.
    staging->CopyStructureFrom(matched);
    run.log.AddActivityLine(u"\tErzeuge: [" + staging->Name() + u"]", false);
    db.GetTableDefs().Append(*staging);
    return staging;
}

void emptyTable(RunContext& run, jet::dao::Database& db, std::u16string_view tableName) {
    run.log.AddActivityLine(u"\tLösche Zeilen aus " + std::u16string(tableName), false);
    db.Execute(u"DELETE FROM " + bracketAccessName(tableName));
}

}  // namespace

std::u16string StagingName(std::u16string_view tableName) {
    return u"new_" + std::u16string(tableName);
}

std::unique_ptr<jet::dao::TableDef> PrepareTargetTable(RunContext& run, jet::dao::Database& db,
                                                       const jet::dao::TableDef& matched,
                                                       std::u16string_view tableName) {
    if (run.safeMode()) {
        return buildStaging(run, db, matched, tableName);
    }
    emptyTable(run, db, tableName);
    return nullptr;
}

}  // namespace engine
