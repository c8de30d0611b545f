// jettool export FILE TABLE: the table as CSV with a header row. Text, memo and dates are
// quoted with inner quotes doubled; numbers and booleans (1/0) bare; binary as hex; NULL empty.
#include <algorithm>
#include <ostream>

#include "jet/base/extended_date.h"
#include "jet/base/text.h"
#include "jet/catalog/database.h"
#include "tools/jettool/command.h"
#include "tools/jettool/value_text.h"

namespace jettool {

namespace {

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

struct FieldText {
    std::string operator()(const jet::Null&) const { return ""; }
    std::string operator()(bool v) const { return v ? "1" : "0"; }
    std::string operator()(uint8_t v) const { return std::to_string(v); }
    std::string operator()(int16_t v) const { return std::to_string(v); }
    std::string operator()(int32_t v) const { return std::to_string(v); }
    std::string operator()(int64_t v) const { return std::to_string(v); }
    std::string operator()(const jet::Currency& v) const { return formatCurrency(v); }
    std::string operator()(float v) const { return formatSingle(v); }
    std::string operator()(double v) const { return formatDouble(v); }
    std::string operator()(const jet::DateTime& v) const { return quoted(formatDateTime(v.days)); }
    std::string operator()(const jet::ExtendedDateTime& v) const {
        return quoted(jet::formatExtendedDate(v));
    }
    std::string operator()(const std::u16string& v) const { return quoted(jet::toUtf8(v)); }
    std::string operator()(const jet::Bytes& v) const { return quoted(formatHex(v)); }
    std::string operator()(const jet::Guid& v) const { return quoted(formatGuid(v)); }
    std::string operator()(const jet::Decimal& v) const { return formatDecimal(v); }
};

}  // namespace

int runExport(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 2) return 2;
    jet::Database db(args[0], jet::OpenMode::ReadOnly);
    jet::Table table = db.openTable(jet::fromUtf8(args[1]));
    // In the order the columns were made: the stored order is by name in tables the engine
    // itself made (MSysCompactError of a converted file).
    std::vector<jet::ColumnDef> columns = table.definition().columns;
    std::stable_sort(columns.begin(), columns.end(),
                     [](const auto& a, const auto& b) { return a.number < b.number; });
    for (size_t i = 0; i < columns.size(); ++i)
        out << (i ? "," : "") << jet::toUtf8(columns[i].name);
    out << "\n";
    std::string line;
    table.forEachRow([&](jet::RowLocation, const std::vector<jet::Value>& values) {
        line.clear();
        for (size_t i = 0; i < columns.size(); ++i) {
            if (i) line += ',';
            line += std::visit(FieldText{}, values[columns[i].number]);
        }
        out << line << "\n";
    });
    return 0;
}

}  // namespace jettool
