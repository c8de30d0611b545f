// A table definition's stored bytes, for changes that take indexes out of it in place: every
// byte Access wrote and this engine does not model stays as it was.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/page/page_allocator.h"
#include "jet/page/page_file.h"
#include "jet/table/table_definition.h"

namespace jet {

class DefinitionBytes {
  public:
    // The logical bytes (tdef_len of them) of `table`'s TDEF chain as they are on the pages.
    DefinitionBytes(PageFile& file, const TableDefinition& table);

    uint32_t firstPage() const { return firstPage_; }
    uint32_t logicalCount() const;
    uint32_t realCount() const;
    // The fields of the logical index block at position `position` (stored order).
    LogicalIndexDef logical(uint32_t position) const;
    // The position of the logical index numbered `number`; -1 when there is none.
    int positionOfLogical(uint32_t number) const;
    // The usage map and root page of real index `number`.
    RealIndexDef real(uint32_t number) const;

    // Takes out the logical index numbered `number` with its name; the logical indexes above
    // it move down by one. REQUIRES: positionOfLogical(number) >= 0.
    void removeLogical(uint32_t number);
    bool realInUse(uint32_t number) const;
    // Takes out real index `number` (its count block and its definition block); logical
    // indexes using a higher real index follow. REQUIRES: !realInUse(number).
    void removeReal(uint32_t number);
    // The logical index `removed` of the table on `tablePage` is gone: foreign-key blocks here
    // naming a partner index above it there follow its renumbering. True when one changed.
    bool followPartnerRemoval(uint32_t tablePage, uint32_t removed);

    // Writes the bytes back into the chain, filling each page as Access does; pages the
    // shorter definition no longer needs go back to `allocator`. REQUIRES: the bytes did not
    // grow.
    void write(PageFile& file, PageAllocator& allocator);

  private:
    struct Blocks {
        size_t realBlocks = 0;
        size_t logicalBlocks = 0;
        std::vector<size_t> logicalNames;  // where each logical index's name starts
    };
    Blocks blocks() const;
    size_t nameSize(size_t at) const;
    size_t logicalBlock(uint32_t position) const;
    void putU32At(size_t at, uint32_t value);
    uint32_t u32At(size_t at) const;

    const TdefLayout& layout_;
    uint32_t firstPage_ = 0;
    std::vector<uint32_t> pages_;
    std::vector<uint8_t> bytes_;
};

}  // namespace jet
