#include "jet/index/table_inserter.h"

#include "jet/base/text.h"
#include "jet/index/index_key.h"

namespace jet {

TableInserter::TableInserter(PageFile& file, PageAllocator& allocator, TableDefinition& table)
    : file_(file), table_(table), rows_(file, allocator, table) {
    for (const auto& index : table_.realIndexes)
        indexes_.push_back(std::make_unique<IndexWriter>(file, allocator, table_, index));
    keys_.resize(table_.realIndexes.size());
}

TableInserter::~TableInserter() = default;

namespace {

// True when every column of the index is NULL in the row.
bool isNullEntry(const RealIndexDef& index, std::span<const Value> values) {
    for (const auto& c : index.columns)
        if (c.columnNumber < values.size() && !isNull(values[c.columnNumber])) return false;
    return true;
}

void requireNoNulls(const TableDefinition& table, const RealIndexDef& index,
                    std::span<const Value> values) {
    for (const auto& c : index.columns) {
        if (c.columnNumber < values.size() && !isNull(values[c.columnNumber])) continue;
        const ColumnDef* column = table.columnByNumber(c.columnNumber);
        throw Error(ErrorCode::IndexNull,
                    "Der Index oder Primärschlüssel kann keinen Nullwert enthalten (Feld '" +
                        (column ? toUtf8(column->name) : std::string("?")) + "').");
    }
}

}  // namespace

bool TableInserter::indexesRow(const RealIndexDef& index, std::span<const Value> values) const {
    // An ignore-nulls index leaves out rows whose indexed columns are all NULL.
    return !(index.flags & index_flag::kIgnoreNulls) || !isNullEntry(index, values);
}

RowLocation TableInserter::insert(std::span<const Value> values) {
    for (size_t i = 0; i < table_.realIndexes.size(); ++i) {
        const RealIndexDef& index = table_.realIndexes[i];
        if (index.flags & index_flag::kRequired) requireNoNulls(table_, index, values);
        indexKey(table_, index, values, keys_[i]);
        // NULLs never collide in a unique index.
        if ((index.flags & index_flag::kUnique) && !isNullEntry(index, values) &&
            indexes_[i]->containsKey(keys_[i]))
            throw Error(ErrorCode::DuplicateKey,
                        "Die Änderungen wurden nicht durchgeführt, weil sie im Index, "
                        "Primärschlüssel oder in der Beziehung zu doppelten Werten führen "
                        "würden.");
    }
    RowLocation where = rows_.insert(values);
    for (size_t i = 0; i < table_.realIndexes.size(); ++i) {
        RealIndexDef& index = table_.realIndexes[i];
        if (!indexesRow(index, values)) continue;
        // Counted with the distinct keys, so the pair stays exact once it is (after an
        // emptying) and stays recognisably stale otherwise.
        ++index.statisticEntries;
        if (indexes_[i]->insert(keys_[i], where)) ++index.distinctKeys;
    }
    return where;
}

void TableInserter::deleteAll() {
    rows_.deleteAll();
    for (size_t i = 0; i < indexes_.size(); ++i) {
        indexes_[i]->clear();
        table_.realIndexes[i].distinctKeys = 0;
        table_.realIndexes[i].statisticEntries = 0;
    }
}

void TableInserter::requireKeys(std::span<const Value> values) const {
    for (const RealIndexDef& index : table_.realIndexes) (void)indexKey(table_, index, values);
}

void TableInserter::writeCounts() {
    rows_.writeCounts();
}

}  // namespace jet
