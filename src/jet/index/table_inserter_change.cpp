// Deleting and updating single rows with their index entries (see table_inserter.h).
#include "jet/base/text.h"
#include "jet/index/index_key.h"
#include "jet/index/table_inserter.h"
#include "jet/table/table.h"

namespace jet {

namespace {

bool allNull(const RealIndexDef& index, std::span<const Value> values) {
    for (const auto& c : index.columns)
        if (c.columnNumber < values.size() && !isNull(values[c.columnNumber])) return false;
    return true;
}

bool anyNull(const RealIndexDef& index, std::span<const Value> values) {
    for (const auto& c : index.columns)
        if (c.columnNumber >= values.size() || isNull(values[c.columnNumber])) return true;
    return false;
}

[[noreturn]] void throwDuplicate() {
    throw Error(ErrorCode::DuplicateKey,
                "Die Änderungen wurden nicht durchgeführt, weil sie im Index, Primärschlüssel "
                "oder in der Beziehung zu doppelten Werten führen würden.");
}

}  // namespace

void TableInserter::deleteRow(RowLocation where) {
    const std::vector<Value> values = Table(file_, table_).readRow(where);
    // Every key first: one that cannot be formed refuses the deletion before any entry goes.
    oldKeys_.resize(keys_.size());
    for (size_t i = 0; i < table_.realIndexes.size(); ++i)
        if (indexesRow(table_.realIndexes[i], values))
            oldKeys_[i] = indexKey(table_, table_.realIndexes[i], values);
    for (size_t i = 0; i < table_.realIndexes.size(); ++i)
        if (indexesRow(table_.realIndexes[i], values)) removeEntry(i, where);
    rows_.deleteRow(where);  // writes the counts, the indexes' too
    if (table_.rowCount != 0) return;
    // Every index is empty now: counts that were stale in the file are exact again.
    for (RealIndexDef& index : table_.realIndexes) index.distinctKeys = index.statisticEntries = 0;
    rows_.writeCounts();
}

void TableInserter::updateRow(RowLocation where, std::span<const Value> values) {
    const std::vector<Value> before = Table(file_, table_).readRow(where);
    keysOfChange(before, values);
    for (size_t i = 0; i < table_.realIndexes.size(); ++i) {
        const RealIndexDef& index = table_.realIndexes[i];
        if ((index.flags & index_flag::kRequired) && anyNull(index, values))
            throw Error(ErrorCode::IndexNull,
                        "Der Index oder Primärschlüssel kann keinen Nullwert enthalten.");
        const bool moves = hadEntry_[i] != getsEntry_[i] || oldKeys_[i] != keys_[i];
        // The row's own entry has another key, so a hit is another row's.
        if (moves && getsEntry_[i] && (index.flags & index_flag::kUnique) &&
            !allNull(index, values) && indexes_[i]->containsKey(keys_[i]))
            throwDuplicate();
    }
    rows_.updateRow(where, values);
    for (size_t i = 0; i < table_.realIndexes.size(); ++i) {
        if (hadEntry_[i] == getsEntry_[i] && oldKeys_[i] == keys_[i]) continue;
        if (hadEntry_[i]) removeEntry(i, where);
        if (getsEntry_[i]) addEntry(i, where);
    }
    rows_.writeCounts();
}

// Fills oldKeys_/hadEntry_ from `before` and keys_/getsEntry_ from `after`.
void TableInserter::keysOfChange(std::span<const Value> before, std::span<const Value> after) {
    const size_t count = table_.realIndexes.size();
    oldKeys_.resize(count);
    hadEntry_.assign(count, 0);
    getsEntry_.assign(count, 0);
    for (size_t i = 0; i < count; ++i) {
        const RealIndexDef& index = table_.realIndexes[i];
        hadEntry_[i] = indexesRow(index, before);
        getsEntry_[i] = indexesRow(index, after);
        oldKeys_[i] = indexKey(table_, index, before);
        keys_[i] = indexKey(table_, index, after);
    }
}

void TableInserter::removeEntry(size_t i, RowLocation where) {
    RealIndexDef& index = table_.realIndexes[i];
    if (indexes_[i]->remove(oldKeys_[i], where) && index.distinctKeys > 0) --index.distinctKeys;
    if (index.statisticEntries > 0) --index.statisticEntries;
}

void TableInserter::addEntry(size_t i, RowLocation where) {
    RealIndexDef& index = table_.realIndexes[i];
    ++index.statisticEntries;
    if (indexes_[i]->insert(keys_[i], where)) ++index.distinctKeys;
}

}  // namespace jet
