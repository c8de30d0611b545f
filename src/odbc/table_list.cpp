#include "odbc/table_list.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>
#include <vector>

#include "odbc/ascii_case.h"
#include "odbc/connection_state.h"
#include "odbc/error.h"
#include "odbc/statement.h"

namespace odbc {
namespace {

// Result columns of SQLTables.
constexpr SQLUSMALLINT kCatalogColumn = 1;
constexpr SQLUSMALLINT kSchemaColumn = 2;
constexpr SQLUSMALLINT kNameColumn = 3;
constexpr SQLUSMALLINT kTypeColumn = 4;
// Far above any server's limit for names (128 characters at most).
constexpr size_t kNameBytes = 4096;

// The servers' own schemas and databases, which some drivers list with the user's tables:
// SQL Server's sys and INFORMATION_SCHEMA views, PostgreSQL's catalogs, MariaDB's databases.
constexpr std::array<std::string_view, 6> kSystemSchemas = {
    "information_schema", "sys", "pg_catalog", "pg_toast", "mysql", "performance_schema"};

bool isSystemSchema(std::string_view name) {
    return std::any_of(
        kSystemSchemas.begin(), kSystemSchemas.end(),
        [name](std::string_view system) { return sameIgnoringAsciiCase(name, system); });
}

// A user's table or view of the current database.
bool belongs(const std::string& catalog, const std::string& schema, const std::string& type,
             const std::string& currentCatalog) {
    if (!sameIgnoringAsciiCase(type, "TABLE") && !sameIgnoringAsciiCase(type, "VIEW")) return false;
    if (isSystemSchema(schema) || isSystemSchema(catalog)) return false;
    return catalog.empty() || currentCatalog.empty() ||
           sameIgnoringAsciiCase(catalog, currentCatalog);
}

SQLCHAR* text(const std::string& s) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
}

struct NameCell {
    std::vector<char> text = std::vector<char>(kNameBytes);
    SQLLEN indicator = 0;

    void bind(const Statement& statement, SQLUSMALLINT column) {
        SQLRETURN rc = SQLBindCol(statement.get(), column, SQL_C_CHAR, text.data(),
                                  static_cast<SQLLEN>(text.size()), &indicator);
        statement.check(rc, "Die Tabellenliste der Datenquelle ließ sich nicht lesen");
    }

    std::string value() const {
        if (indicator == SQL_NULL_DATA) return {};
        if (indicator < 0 || static_cast<size_t>(indicator) >= text.size()) {
            throw Error("Ein Tabellenname der Datenquelle ist länger als " +
                            std::to_string(kNameBytes - 1) + " Bytes",
                        "01004");
        }
        return std::string(text.data(), static_cast<size_t>(indicator));
    }
};

}  // namespace

TableList::TableList(std::shared_ptr<ConnectionState> connection)
    : connection_(std::move(connection)) {}

void TableList::refresh() {
    Statement statement(connection_);
    // The current database only: without it MariaDB lists every database the user can see.
    const std::string& catalog = connection_->currentCatalog;
    const std::string types = "TABLE,VIEW";
    SQLRETURN rc =
        SQLTables(statement.get(), catalog.empty() ? nullptr : text(catalog),
                  catalog.empty() ? 0 : SQL_NTS, nullptr, 0, nullptr, 0, text(types), SQL_NTS);
    statement.check(rc, "Die Tabellenliste der Datenquelle ließ sich nicht lesen");
    NameCell catalogCell, schema, name, type;
    catalogCell.bind(statement, kCatalogColumn);
    schema.bind(statement, kSchemaColumn);
    name.bind(statement, kNameColumn);
    type.bind(statement, kTypeColumn);
    std::vector<Table> tables;
    for (;;) {
        rc = SQLFetch(statement.get());
        if (rc == SQL_NO_DATA) break;
        statement.check(rc, "Die Tabellenliste der Datenquelle ließ sich nicht lesen");
        if (!belongs(catalogCell.value(), schema.value(), type.value(), catalog)) continue;
        tables.emplace_back(name.value(), schema.value());
    }
    tables_ = std::move(tables);
}

const Table& TableList::item(size_t index) const {
    if (index >= tables_.size()) {
        throw Error("Die Tabellenliste hat keinen Eintrag " + std::to_string(index), "07009");
    }
    return tables_[index];
}

}  // namespace odbc
