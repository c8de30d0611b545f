#include "jet/dao/dao_database.h"

#include <algorithm>

#include "jet/base/text.h"
#include "jet/catalog/calculated_columns.h"
#include "jet/dao/dao_table_state.h"

namespace jet::dao {

namespace {

std::shared_ptr<const std::vector<TableDef>> readTableDefs(jet::Database& db, Database* owner) {
    auto tables = std::make_shared<std::vector<TableDef>>();
    for (const auto& entry : db.catalog()) {
        if (!entry.isTable()) continue;
        ByteView blob({entry.properties.data(), entry.properties.size()}, entry.location.page);
        PropertySet properties = parsePropertyBlob(blob, db.file().format().codePage);
        TableDefinition definition =
            readTableDefinition(db.file(), static_cast<uint32_t>(entry.id));
        applyCalculatedResultTypes(definition, properties);
        tables->emplace_back(entry, std::move(definition), std::move(properties), owner);
    }
    return tables;
}

[[noreturn]] void notSupported(std::u16string_view statement) {
    throw Error(ErrorCode::NotSupported,
                "Die Anweisung '" + toUtf8(statement) + "' wird nicht unterstützt.");
}

std::u16string_view skipBlanks(std::u16string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == u' ' || s[i] == u'\t' || s[i] == u'\r' || s[i] == u'\n')) ++i;
    return s.substr(i);
}

// Consumes `word` (ignoring case) followed by a blank or the end; false when it is not there.
bool takeWord(std::u16string_view& s, std::u16string_view word) {
    s = skipBlanks(s);
    if (s.size() < word.size() || !equalIgnoringCase(s.substr(0, word.size()), word)) return false;
    std::u16string_view rest = s.substr(word.size());
    if (!rest.empty() && rest[0] != u' ' && rest[0] != u'\t' && rest[0] != u'\r' &&
        rest[0] != u'\n')
        return false;
    s = rest;
    return true;
}

// The table name of "DELETE [*] FROM name"; empty when the statement is anything else.
std::u16string deleteTarget(std::u16string_view statement) {
    std::u16string_view s = statement;
    if (!takeWord(s, u"DELETE")) return {};
    takeWord(s, u"*");
    if (!takeWord(s, u"FROM")) return {};
    s = skipBlanks(s);
    while (!s.empty() && (s.back() == u' ' || s.back() == u';' || s.back() == u'\t' ||
                          s.back() == u'\r' || s.back() == u'\n'))
        s.remove_suffix(1);
    if (s.size() >= 2 && s.front() == u'[' && s.back() == u']') {
        std::u16string_view inner = s.substr(1, s.size() - 2);
        if (inner.find_first_of(u"[]") != std::u16string_view::npos) return {};
        return std::u16string(inner);
    }
    if (s.find_first_of(u" \t[];") != std::u16string_view::npos) return {};
    return std::u16string(s);
}

}  // namespace

const TableDef& TableDefs::Item(int32_t index) const {
    if (index < 0 || index >= Count()) throwItemNotFound(std::to_string(index));
    return (*tables_)[static_cast<size_t>(index)];
}

const TableDef* TableDefs::find(std::u16string_view name) const {
    for (const auto& t : *tables_)
        if (equalIgnoringCase(t.Name(), name)) return &t;
    return nullptr;
}

const TableDef& TableDefs::Item(std::u16string_view name) const {
    const TableDef* t = find(name);
    if (!t) throwItemNotFound("'" + toUtf8(name) + "'");
    return *t;
}

void TableDefs::Delete(std::u16string_view name) {
    if (!owner_) throw Error(ErrorCode::NotSupported, "Die Tabellenliste ist schreibgeschützt.");
    owner_->deleteTable(name);
    *this = owner_->GetTableDefs();
}

void TableDefs::Append(TableDef& definition) {
    if (!owner_) throw Error(ErrorCode::NotSupported, "Die Tabellenliste ist schreibgeschützt.");
    owner_->appendTable(definition);
    *this = owner_->GetTableDefs();
}

Database::Database(const std::string& path, OpenMode mode)
    : storage_(path, mode),
      tableDefs_(readTableDefs(storage_, this)),
      relations_(readRelationships(storage_)),
      allocator_(storage_.file()) {}

void Relations::Delete(std::u16string_view name) {
    if (!owner_) throw Error(ErrorCode::NotSupported, "Die Beziehungen sind schreibgeschützt.");
    owner_->deleteRelation(name);
    *this = owner_->GetRelations();
}

void Database::reload() {
    storage_.reloadCatalog();
    tableDefs_ = readTableDefs(storage_, this);
    relations_ = readRelationships(storage_);
}

std::unique_ptr<TableDef> Database::CreateTableDef(std::u16string_view name) {
    requireOpen();
    return std::make_unique<TableDef>(name);
}

TableInserter& Database::inserterFor(const TableDef& table) {
    return tableState(table).inserter;
}

TableInserter& Database::inserterFor(std::u16string_view tableName) {
    return tableState(tableNamed(tableName)).inserter;
}

Database::~Database() {
    try {
        Close();
    } catch (const Error&) {
        // Nothing can be reported from a destructor; Close reports it to those who call it.
    }
}

void Database::requireOpen() const {
    if (closed_)
        throw Error(ErrorCode::ObjectClosed, "Das Objekt ist ungültig oder nicht mehr festgelegt.");
}

const TableDef& Database::tableNamed(std::u16string_view name) const {
    const TableDef* table = TableDefs(tableDefs_, nullptr).find(name);
    if (!table) throwObjectNotFound(toUtf8(name));
    return *table;
}

TableState& Database::tableState(const TableDef& table) {
    uint32_t page = table.definition().firstPage;
    auto found = tables_.find(page);
    if (found == tables_.end())
        found = tables_
                    .emplace(page, std::make_unique<TableState>(storage_.file(), allocator_,
                                                                table.definition()))
                    .first;
    return *found->second;
}

std::unique_ptr<Recordset> Database::OpenRecordset(std::u16string_view name, int32_t type) {
    requireOpen();
    if (type != dbOpenTable)
        throw Error(ErrorCode::NotSupported, "Nur Recordsets vom Typ Tabelle werden unterstützt.");
    const TableDef& table = tableNamed(name);
    TableState& state = tableState(table);
    return std::make_unique<Recordset>(table, state.inserter, state.recordsetUse);
}

void Database::Execute(std::u16string_view statement) {
    requireOpen();
    std::u16string name = deleteTarget(statement);
    if (name.empty()) notSupported(statement);
    TableState& state = tableState(tableNamed(name));
    state.inserter.deleteAll();
    state.inserter.writeCounts();
}

void Database::flush() {
    requireOpen();
    if (storage_.file().mode() != OpenMode::Exclusive) return;
    for (auto& [page, state] : tables_) state->inserter.writeCounts();
    storage_.file().flush();
    lastFlush_ = std::chrono::steady_clock::now();
}

void Database::refreshCache() {
    requireOpen();
    if (storage_.file().dirtyPageCount() >= kRefreshPages ||
        std::chrono::steady_clock::now() - lastFlush_ >= kRefreshInterval)
        flush();
}

void Database::Close() {
    if (closed_) return;
    // The file is let go even when writing fails, so the lock never outlives the failure; the
    // journal keeps it in the state of the last completed flush.
    struct Release {
        Database& db;
        ~Release() {
            db.storage_.file().close();
            db.closed_ = true;
            db.forgetEngine();
        }
    } release{*this};
    flush();
    storage_.file().sync();
}

void Database::forgetEngine() {
    if (engine_) {
        auto& open = engine_->open_;
        open.erase(std::remove(open.begin(), open.end(), this), open.end());
        engine_ = nullptr;
    }
}

DBEngine::~DBEngine() {
    for (Database* db : open_) db->engine_ = nullptr;
}

std::unique_ptr<Database> DBEngine::OpenDatabase(const std::string& path, bool exclusive,
                                                 bool readOnly) {
    // Shared writing is not offered: a writer always holds the file alone.
    OpenMode mode = readOnly && !exclusive ? OpenMode::ReadOnly : OpenMode::Exclusive;
    auto db = std::make_unique<Database>(path, mode);
    db->engine_ = this;
    open_.push_back(db.get());
    return db;
}

void DBEngine::Idle(int32_t action) {
    for (Database* db : open_) {
        if (action & dbRefreshCache) db->refreshCache();
        db->storage().file().trimCache();
    }
}

}  // namespace jet::dao
