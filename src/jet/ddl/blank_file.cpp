#include "jet/ddl/blank_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "jet/base/errors.h"
#include "jet/catalog/catalog.h"
#include "jet/index/table_inserter.h"
#include "jet/table/data_page_writer.h"

namespace jet::blank {

namespace {

constexpr uint32_t kGlobalMapPage = 1;

// Page 1: the global usage map, every page from 2 on free. Its second row, of the same size,
// Jet keeps all zero.
std::vector<uint8_t> globalMapPage(const Format& format) {
    const size_t rowSize = format.usageMap.rowSize;
    std::vector<uint8_t> page(format.pageSize, 0);
    formatDataPage(format, page.data(), kGlobalMapPage);
    AddedRow map = addRow(format, page.data(), rowSize);
    std::memset(map.bytes + usage_map_layout::kInlineBitmap, 0xFF,
                rowSize - usage_map_layout::kInlineBitmap);
    map.bytes[usage_map_layout::kInlineBitmap] = 0xFC;  // pages 0 and 1 are in use
    addRow(format, page.data(), rowSize);
    return page;
}

[[noreturn]] void throwCreateError(const std::string& path, int err) {
    if (err == EEXIST)
        throw Error(ErrorCode::DatabaseExists,
                    "Die Datenbank '" + path + "' ist bereits vorhanden.");
    if (err == EACCES || err == EPERM || err == EROFS)
        throw Error(ErrorCode::FileAccessDenied,
                    "Die Datenbank '" + path + "' kann nicht angelegt werden: Zugriff verweigert.");
    throw Error(ErrorCode::IoFailure, "Die Datenbank '" + path + "' kann nicht angelegt werden: " +
                                          std::strerror(err) + ".");
}

// A row by column name, for the catalog tables.
class RowValues {
  public:
    explicit RowValues(const TableDefinition& t) : table_(t), values_(t.maxColumns) {}
    RowValues& set(std::u16string_view column, Value v) {
        for (const ColumnDef& c : table_.columns)
            if (c.name == column) values_.at(c.number) = std::move(v);
        return *this;
    }
    std::span<const Value> values() const { return values_; }

  private:
    const TableDefinition& table_;
    std::vector<Value> values_;
};

}  // namespace

std::vector<CatalogObject> engineObjects(const Bytes& engine, const Bytes& admin) {
    using namespace catalog_layout;
    const int32_t sys = kSystemObject;
    return {
        {kTablesContainer, kContainersParent, u"Tables", kTypeContainer, sys, &engine},
        {kDatabasesContainer, kContainersParent, u"Databases", kTypeContainer, sys, &engine},
        {kRelationshipsContainer, kContainersParent, u"Relationships", kTypeContainer, sys,
         &engine},
        {kDatabaseObject, kDatabasesContainer, u"MSysDb", kTypeDatabase, sys, &admin},
        {2, kTablesContainer, u"MSysObjects", kTypeTable, sys, &engine},
        {3, kTablesContainer, u"MSysACEs", kTypeTable, sys, &engine},
        {4, kTablesContainer, u"MSysQueries", kTypeTable, sys, &engine},
        {5, kTablesContainer, u"MSysRelationships", kTypeTable, sys, &engine},
    };
}

void writeFirstPages(const std::string& path, const Format& format, const NewHeader& header) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) throwCreateError(path, errno);
    std::vector<uint8_t> bytes = encodeHeaderPage(header, format);
    std::vector<uint8_t> map = globalMapPage(format);
    bytes.insert(bytes.end(), map.begin(), map.end());
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    int err = errno;
    ::close(fd);
    if (written != ssize_t(bytes.size()))
        throw Error(ErrorCode::IoFailure, "Schreiben der Datei '" + path +
                                              "' ist fehlgeschlagen: " + std::strerror(err) + ".");
}

void writeCatalog(PageFile& file, PageAllocator& allocator, std::vector<TableDefinition>& tables,
                  const std::vector<CatalogObject>& objects,
                  const std::vector<Permission>& permissions, int32_t databaseObject,
                  const Bytes& databaseProperties) {
    const DateTime now{jetDateNow()};
    TableInserter objectRows(file, allocator, tables[0]);
    for (const CatalogObject& o : objects) {
        RowValues row(tables[0]);
        row.set(u"Id", o.id)
            .set(u"ParentId", o.parentId)
            .set(u"Name", std::u16string(o.name))
            .set(u"Type", o.type)
            .set(u"DateCreate", now)
            .set(u"DateUpdate", now)
            .set(u"Owner", *o.owner)
            .set(u"Flags", o.flags);
        if (o.id == databaseObject) row.set(u"LvProp", databaseProperties);
        objectRows.insert(row.values());
    }
    objectRows.writeCounts();

    TableInserter aceRows(file, allocator, tables[1]);
    for (const Permission& p : permissions) {
        RowValues row(tables[1]);
        row.set(u"ObjectId", p.objectId)
            .set(u"SID", *p.sid)
            .set(u"ACM", p.acm)
            .set(u"FInheritable", p.inheritable);
        aceRows.insert(row.values());
    }
    aceRows.writeCounts();
}

}  // namespace jet::blank
