#include "odbc/table_list.h"

#include <sql.h>
#include <sqlext.h>

#include <utility>
#include <vector>

#include "odbc/error.h"
#include "odbc/statement.h"

namespace odbc {
namespace {

// Result columns of SQLTables.
constexpr SQLUSMALLINT kSchemaColumn = 2;
constexpr SQLUSMALLINT kNameColumn = 3;
// Far above any server's limit for names (128 characters at most); bound buffers because the
// cursor library refuses an SQLFetch without any (SL009) and SQLGetData on forward-only cursors.
constexpr size_t kNameBytes = 4096;

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
    auto* type = reinterpret_cast<SQLCHAR*>(const_cast<char*>("TABLE"));
    SQLRETURN rc = SQLTables(statement.get(), nullptr, 0, nullptr, 0, nullptr, 0, type, SQL_NTS);
    statement.check(rc, "Die Tabellenliste der Datenquelle ließ sich nicht lesen");
    NameCell schema, name;
    schema.bind(statement, kSchemaColumn);
    name.bind(statement, kNameColumn);
    std::vector<Table> tables;
    for (;;) {
        rc = SQLFetch(statement.get());
        if (rc == SQL_NO_DATA) break;
        statement.check(rc, "Die Tabellenliste der Datenquelle ließ sich nicht lesen");
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
