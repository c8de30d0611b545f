// libFuzzer target for the DDL parser: every input is taken as a DDL script. jet::Error is the
// parser's answer to a faulty script and is fine; a crash, a sanitizer report, a hang, an
// exception of any other type, or a parsed table that breaks the rules the table creator
// relies on (checked below) is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "jet/base/errors.h"
#include "jet/base/text.h"
#include "jet/dao/ddl_parser.h"

namespace {

void require(bool ok) {
    if (!ok) std::abort();
}

bool hasColumn(const jet::NewTable& t, const std::u16string& name) {
    for (const jet::NewColumn& c : t.columns)
        if (c.name == name) return true;
    return false;
}

// What every parsed table must satisfy: names within Jet's limits and unique (ignoring case),
// sizes as the types allow, indexes over existing columns, at most one primary key.
void checkTable(const jet::NewTable& t) {
    require(!t.name.empty() && t.name.size() <= 64);
    require(!t.columns.empty() && t.columns.size() <= 255);
    for (size_t i = 0; i < t.columns.size(); ++i) {
        const jet::NewColumn& c = t.columns[i];
        require(!c.name.empty() && c.name.size() <= 64);
        for (size_t k = 0; k < i; ++k) require(!jet::equalIgnoringCase(c.name, t.columns[k].name));
        if (c.type == jet::ColumnType::Text) require(c.length >= 2 && c.length <= 510);
        if (c.type == jet::ColumnType::Decimal)
            require(c.precision >= 1 && c.precision <= 28 && c.scale <= c.precision);
    }
    require(t.indexes.size() <= 32);
    int primaryKeys = 0;
    for (const jet::NewIndex& index : t.indexes) {
        require(!index.columns.empty() && index.columns.size() <= 10);
        for (const jet::NewIndexColumn& c : index.columns) require(hasColumn(t, c.column));
        primaryKeys += index.primaryKey;
    }
    require(primaryKeys <= 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        for (const jet::NewTable& t : jet::parseDdl(text)) checkTable(t);
    } catch (const jet::Error& e) {
        require(e.description().rfind("Zeile ", 0) == 0);  // every error names its line
    }
    return 0;
}
