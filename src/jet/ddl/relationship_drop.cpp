#include "jet/ddl/relationship_drop.h"

#include <algorithm>
#include <map>

#include "jet/base/text.h"
#include "jet/ddl/table_drop.h"
#include "jet/table/definition_bytes.h"

namespace jet {

namespace {

constexpr uint8_t kReferencedRole = 1;
constexpr uint8_t kForeignKeyRole = 2;

bool isForeignKey(const LogicalIndexDef& l) {
    return l.kind == uint8_t(LogicalIndexKind::ForeignKey);
}

// True when the real index of `l` covers exactly the relationship's foreign-key columns.
bool coversColumns(const TableDefinition& t, const LogicalIndexDef& l, const Relationship& r) {
    const RealIndexDef& real = t.realIndexes[l.realIndex];
    if (real.columns.size() != r.columns.size()) return false;
    for (size_t i = 0; i < real.columns.size(); ++i) {
        const ColumnDef* c = t.columnByNumber(real.columns[i].columnNumber);
        if (!c || !equalIgnoringCase(c->name, r.columns[i].column)) return false;
    }
    return true;
}

// The foreign-key side's block: named after the relationship, or else the one over its columns.
const LogicalIndexDef* foreignKeyBlock(const TableDefinition& fk, const TableDefinition& ref,
                                       const Relationship& r) {
    const LogicalIndexDef* byColumns = nullptr;
    for (const LogicalIndexDef& l : fk.logicalIndexes) {
        if (!isForeignKey(l) || l.foreignKeyRole != kForeignKeyRole ||
            l.otherTablePage != ref.firstPage)
            continue;
        if (equalIgnoringCase(l.name, r.name)) return &l;
        if (!byColumns && coversColumns(fk, l, r)) byColumns = &l;
    }
    return byColumns;
}

const LogicalIndexDef* referencedBlock(const TableDefinition& ref, const TableDefinition& fk,
                                       const LogicalIndexDef& partner) {
    for (const LogicalIndexDef& l : ref.logicalIndexes)
        if (isForeignKey(l) && l.foreignKeyRole == kReferencedRole &&
            l.otherTablePage == fk.firstPage && partner.otherIndex >= 0 &&
            l.number == static_cast<uint32_t>(partner.otherIndex))
            return &l;
    return nullptr;
}

struct Removal {
    const TableDefinition* table;
    uint32_t number;
};

class DefinitionEdits {
  public:
    DefinitionEdits(PageFile& file, PageAllocator& allocator,
                    const std::vector<const TableDefinition*>& all)
        : file_(file), allocator_(allocator), all_(all) {}

    void remove(const Removal& removal) {
        const TableDefinition& t = *removal.table;
        DefinitionBytes& bytes = edit(t);
        const auto position = bytes.positionOfLogical(removal.number);
        if (position < 0) return;
        const uint32_t real = bytes.logical(static_cast<uint32_t>(position)).realIndex;
        bytes.removeLogical(removal.number);
        if (!bytes.realInUse(real)) {
            const RealIndexDef index = bytes.real(real);
            bytes.removeReal(real);
            releaseIndexStorage(file_, allocator_, t, index);
        }
        for (const TableDefinition* other : all_)
            if (namesAsPartner(*other, t.firstPage))
                edit(*other).followPartnerRemoval(t.firstPage, removal.number);
    }

    std::vector<uint32_t> write() {
        std::vector<uint32_t> pages;
        for (auto& [page, bytes] : edits_) {
            bytes.write(file_, allocator_);
            pages.push_back(page);
        }
        return pages;
    }

  private:
    static bool namesAsPartner(const TableDefinition& t, uint32_t tablePage) {
        return std::any_of(t.logicalIndexes.begin(), t.logicalIndexes.end(),
                           [&](const LogicalIndexDef& l) {
                               return isForeignKey(l) && l.otherTablePage == tablePage;
                           });
    }

    DefinitionBytes& edit(const TableDefinition& t) {
        auto found = edits_.find(t.firstPage);
        if (found == edits_.end())
            found = edits_.emplace(t.firstPage, DefinitionBytes(file_, t)).first;
        return found->second;
    }

    PageFile& file_;
    PageAllocator& allocator_;
    const std::vector<const TableDefinition*>& all_;
    std::map<uint32_t, DefinitionBytes> edits_;
};

}  // namespace

std::vector<uint32_t> removeForeignKeyIndexes(PageFile& file, PageAllocator& allocator,
                                              const std::vector<const TableDefinition*>& all,
                                              const Relationship& relationship,
                                              const TableDefinition& foreignKey,
                                              const TableDefinition& referenced) {
    const LogicalIndexDef* fkBlock = foreignKeyBlock(foreignKey, referenced, relationship);
    if (!fkBlock) return {};
    std::vector<Removal> removals{{&foreignKey, fkBlock->number}};
    if (const LogicalIndexDef* refBlock = referencedBlock(referenced, foreignKey, *fkBlock))
        removals.push_back({&referenced, refBlock->number});
    // Within one table (a relationship of a table with itself) the higher number goes first,
    // so that the lower one keeps its number.
    if (removals.size() == 2 && removals[0].table == removals[1].table &&
        removals[0].number < removals[1].number)
        std::swap(removals[0], removals[1]);
    DefinitionEdits edits(file, allocator, all);
    for (const Removal& r : removals) edits.remove(r);
    return edits.write();
}

}  // namespace jet
