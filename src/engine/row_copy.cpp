#include "engine/row_copy.h"

#include <exception>
#include <memory>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "engine/row_position.h"
#include "engine/run_texts.h"
#include "engine/source_opening.h"
#include "engine/speed_text.h"
#include "engine/sql_names.h"
#include "engine/value_transfer.h"
#include "jet/base/errors.h"
#include "jet/base/text.h"
#include "jet/table/table_definition.h"
#include "odbc/error.h"

namespace engine {

namespace {

constexpr std::u16string_view kIdentityColumn = u"AUTOWERTIDENTITÄT";
constexpr int kSqlServerVariant = -150;  // SQL_SS_VARIANT

struct NumberOf {
    int64_t operator()(int8_t v) const { return v; }
    int64_t operator()(uint8_t v) const { return v; }
    int64_t operator()(int16_t v) const { return v; }
    int64_t operator()(int32_t v) const { return v; }
    int64_t operator()(int64_t v) const { return v; }
    int64_t operator()(uint64_t v) const { return static_cast<int64_t>(v); }
    int64_t operator()(float v) const { return static_cast<int64_t>(v); }
    int64_t operator()(double v) const { return static_cast<int64_t>(v); }
    int64_t operator()(const odbc::Decimal& v) const { return std::stoll(v.text); }
    int64_t operator()(const std::u16string& v) const { return std::stoll(jet::toUtf8(v)); }
    template <typename Other>
    int64_t operator()(const Other&) const {
        throw odbc::Error("Die Zeilenzahl ist keine Zahl", "22018");
    }
};

int64_t countRows(odbc::Connection& count, const std::string& quotedName) {
    odbc::Resultset counted = count.openResultset("SELECT COUNT(*) AS SatzZahl FROM " + quotedName);
    const int64_t rows = std::visit(NumberOf{}, counted.value("SatzZahl"));
    counted.close();
    return rows;
}

// The server kinds are tested one after the other; the last selected one decides.
SourceRequest sourceRequest(RunContext& run, std::string sql) {
    SourceRequest request{std::move(sql), std::nullopt, std::nullopt};
    if (run.optionSet(ServerOption::Opt_MS)) {
        request.type = odbc::ResultsetType::Keyset;
        request.lockType = odbc::LockType::Pessimistic;
    }
    if (run.optionSet(ServerOption::Opt_Ora)) {
        request.type.reset();
        request.lockType.reset();
    }
    if (run.optionSet(ServerOption::OPT_SYB)) {
        request.type = odbc::ResultsetType::Dynamic;
        request.lockType.reset();
    }
    return request;
}

std::u16string descriptionOf(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const jet::Error& e) {
        return jet::fromUtf8(e.description());
    } catch (const odbc::Error& e) {
        return jet::fromUtf8(e.description());
    } catch (const std::exception& e) {
        return jet::fromUtf8(e.what());
    } catch (...) {
        return u"Unbekannter Fehler";
    }
}

// Both problem lines are tried on their own: one that cannot be written does not keep the
// other back, and neither ends the table's copy.
void reportField(RunContext& run, const std::u16string& fieldName,
                 const std::u16string& errorText) {
    try {
        run.log.AddActivityLine(u"\t!! Problem mit Feld: [" + fieldName + u"] :", true);
    } catch (...) {
    }
    try {
        run.log.AddActivityLine(u"\t\t" + errorText, true);
    } catch (...) {
    }
}

// What a source column stands for on the Access side. Worked out at the column's first field
// step and kept for the table: the result set's column names do not change, and neither do
// the recordset's fields, so the by-name lookup gives the same field every row.
struct ColumnTarget {
    bool named = false;
    std::u16string fieldName;
    bool identity = false;  // the identity column is never written
    bool variant = false;   // SQL Server's sql_variant, which arrives as its base value's text
    jet::dao::RecordsetField* field = nullptr;  // nullptr until a lookup found it
    bool extendedDate = false;                  // the field keeps 100 ns, finer than Jet's days
    jet::Value value;  // the column's value, its buffers kept from row to row
};

// FreeTDS cannot tell a sql_variant's base type and hands over the text of its value: for
// binary data the hex digits, which a binary field would keep as the bytes of that text.
// A different value must never arrive, so such a field takes no variant.
void refuseVariantAsBinary(const jet::dao::RecordsetField& field) {
    const auto type = static_cast<jet::ColumnType>(field.column().typeCode);
    if (type != jet::ColumnType::Binary && type != jet::ColumnType::OLE) return;
    throw odbc::Error(
        "Ein sql_variant-Wert lässt sich nicht in ein Binärfeld übernehmen: der Treiber nennt "
        "den Grundtyp des Werts nicht, nur seinen Text",
        "07006");
}

// A time stamp goes into an extended Date/Time field with every digit the field keeps.
void takeExactExtendedDate(const odbc::Value& value, jet::Value& out) {
    if (auto* stamp = std::get_if<odbc::Timestamp>(&value))
        if (auto exact = exactExtendedDate(*stamp)) out = *exact;
}

// One column of the current row into the new record. False when it failed (and was reported).
bool copyField(RunContext& run, odbc::Resultset& source, jet::dao::Recordset& target, size_t column,
               ColumnTarget& to) {
    if (!to.named) {
        to.fieldName = jet::fromUtf8(source.name(column));
        to.identity = jet::upperCase(to.fieldName) == kIdentityColumn;
        to.variant = source.column(column).sqlType == kSqlServerVariant;
        to.named = true;
    }
    std::exception_ptr failure;
    try {
        const odbc::Value& value = source.value(column);
        // Once the field is known, numbers, dates and NULLs go into it without a jet::Value
        // between; a variant or an extended date takes the checks below.
        if (to.field != nullptr && !to.variant && !to.extendedDate &&
            setFieldDirectly(value, *to.field))
            return true;
        // Text, most of a row, goes from the fetched row into the field with one copy.
        const auto* text = std::get_if<std::u16string>(&value);
        if (!text) assignAccessValue(value, to.value);
        if (!to.identity) {
            if (to.field == nullptr) {
                to.field = &target.Fields(to.fieldName);
                to.extendedDate =
                    to.field->column().typeCode == uint8_t(jet::ColumnType::ExtendedDateTime);
            }
            if (to.variant && !odbc::isNull(value)) refuseVariantAsBinary(*to.field);
            if (to.extendedDate) takeExactExtendedDate(value, to.value);
            if (text)
                to.field->SetText(*text);
            else
                to.field->SetValue(std::as_const(to.value));
        }
    } catch (...) {
        failure = std::current_exception();
    }
    if (!failure) {
        return true;
    }
    reportField(run, to.fieldName, descriptionOf(failure));
    return false;
}

// Every ten row positions: the speed figure, the window's events and a light Idle. Nothing of
// it may stop the copy.
void everyTenRows(RunContext& run, int32_t startSecond, int64_t rowCounter) {
    try {
        if (run.clock.secondsSinceMidnight() > startSecond) {
            run.window.setCaption(
                StatusLabel::Label_Speed,
                SpeedText(run.clock, startSecond, rowCounter,
                          {run.locale.groupingSeparator, run.locale.decimalSeparator}) +
                    u" Sätze/s");
        }
    } catch (...) {
    }
    try {
        run.window.processEvents();
    } catch (...) {
    }
    try {
        run.dbEngine.Idle();
    } catch (...) {
    }
}

void showPosition(RunContext& run, const RowPosition& position) {
    run.window.setProgressValue(ProgressBar::ProgressBar2, static_cast<float>(position.position()));
}

bool copyAllRows(RunContext& run, odbc::Resultset& source, jet::dao::Recordset& target,
                 RowPosition& position) {
    bool tableFailed = false;
    int64_t rowCounter = 0;
    const int32_t start = startSecond(run.clock);
    std::vector<ColumnTarget> targets;
    while (!source.eof() && !run.window.abortRequested() && !tableFailed) {
        try {
            if (position.advance()) {
                showPosition(run, position);
            }
        } catch (...) {
        }
        ++rowCounter;
        target.AddNew();
        const size_t columns = source.columnCount();
        if (targets.size() < columns) targets.resize(columns);
        for (size_t column = 0; column < columns; ++column) {
            if (!copyField(run, source, target, column, targets[column])) {
                tableFailed = true;
            }
        }
        target.Update(jet::dao::dbUpdateRegular, false);
        if (position.isMultipleOf(100)) {
            run.dbEngine.Idle(jet::dao::dbRefreshCache);
        }
        source.moveNext();
        if (position.isMultipleOf(10)) {
            everyTenRows(run, start, rowCounter);
        }
    }
    return tableFailed;
}

}  // namespace

bool CopyRows(RunContext& run, odbc::Connection& main, odbc::Connection& count,
              jet::dao::Database& db, const RowCopyTarget& target) {
    const std::string quotedName = quoteServerName(target.serverName, main.identifierQuote());
    SourceOpening opening(main, sourceRequest(run, "SELECT * FROM " + quotedName));
    const int64_t counted = countRows(count, quotedName);
    RowPosition position;
    run.window.setProgressValue(ProgressBar::ProgressBar2, 0);
    position.start(counted);
    run.window.setProgressMax(ProgressBar::ProgressBar2, static_cast<float>(position.maximum()));
    showPosition(run, position);

    run.log.AddActivityLine(u"\t" + RowCountText(counted, run.locale) + u" Zeilen zu bearbeiten.",
                            false);
    run.log.AddActivityLine(u"\tÖffne " + target.tableName + u" auf SQL-Server", false);
    odbc::Resultset source = opening.take();
    run.log.AddActivityLine(u"\tÖffne " + target.tableName + u" auf ACCESS", false);
    std::unique_ptr<jet::dao::Recordset> recordset =
        db.OpenRecordset(target.accessName, jet::dao::dbOpenTable);

    const bool tableFailed = copyAllRows(run, source, *recordset, position);

    run.window.setCaption(StatusLabel::Label_Speed, u"");
    if (tableFailed) {
        run.log.AddActivityLine(u"*!*!* Bearbeitung der Tabelle abgebrochen !*!*!", true);
        run.log.AddActivityLine(u"", false);
    }
    recordset->Close();
    source.close();
    return tableFailed;
}

}  // namespace engine
