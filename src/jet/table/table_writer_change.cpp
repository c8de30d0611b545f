// Deleting and updating single rows (see table_writer.h).
#include <cstring>
#include <string>

#include "jet/page/usage_map_writer.h"
#include "jet/table/data_page_rewrite.h"
#include "jet/table/data_page_writer.h"
#include "jet/table/table_writer.h"

namespace jet {

using namespace data_page_layout;

namespace {

constexpr uint16_t kDeletedRowFlags = kDeletedFlag | kLookupFlag;

RowLocation lookupTarget(ByteView bytes) {
    return RowLocation{bytes.u24(row_layout::kLookupPage), bytes.u8(row_layout::kLookupRow)};
}

}  // namespace

// The slot of the live row `where` and, in `place`, where its bytes lie.
RowSlot TableWriter::liveSlot(RowLocation where, RowLocation& place) {
    DataPage page(file_, where.page);
    if (page.owner() != table_.firstPage)
        throwCorrupt(where.page, "Seite gehört nicht zur Tabelle");
    RowSlot slot = page.slot(where.row);
    if (slot.deleted)
        throw Error(ErrorCode::NoCurrentRecord, "Zeile " + std::to_string(where.row) +
                                                    " auf Seite " + std::to_string(where.page) +
                                                    " ist gelöscht");
    place = where;
    if (!slot.lookup) return slot;
    if (size_t{slot.end} - slot.start < row_layout::kLookupSize)
        throwCorrupt(where.page, "Verweis der verschobenen Zeile zu kurz");
    place = lookupTarget(page.rowBytes(slot));
    RowSlot target = DataPage(file_, place.page).slot(place.row);
    if (target.lookup || !target.deleted)
        throwCorrupt(place.page, "Ziel der verschobenen Zeile " + std::to_string(where.row) +
                                     " ist keine verschobene Zeile");
    return slot;
}

void TableWriter::deleteRow(RowLocation where) {
    RowLocation place;
    liveSlot(where, place);
    if (place != where)
        setRowFlags(file_.format(), file_.writablePage(place.page), place.row, kDeletedRowFlags);
    setRowFlags(file_.format(), file_.writablePage(where.page), where.row, kDeletedRowFlags);
    --table_.rowCount;
    writeCounts();
}

void TableWriter::updateRow(RowLocation where, std::span<const Value> valuesByNumber) {
    RowLocation place;
    const RowSlot header = liveSlot(where, place);
    encoder_.encode(valuesByNumber);
    requireRoomInFile();
    const size_t length = encoder_.row().size();
    const bool inPlace = replacementFits(file_.format(), file_.page(place.page), place.row, length);
    if (!inPlace && place == where &&
        !replacementFits(file_.format(), file_.page(where.page), where.row,
                         row_layout::kLookupSize))
        throw Error(ErrorCode::RecordTooLarge, "kein Platz für den Verweis der Zeile");
    storeLongValues();
    if (inPlace) {
        const uint16_t flags = place == where ? 0 : kDeletedFlag;
        replaceRow(file_.format(), file_.writablePage(place.page), place.row, encoder_.row(), flags,
                   pageScratch_);
        noteRoom(place.page);
    } else {
        moveRow(where, header, place);
    }
    noteAutoNumber(valuesByNumber);
    writeCounts();
}

// Stores the encoded row on another page and points the row's own slot at it.
void TableWriter::moveRow(RowLocation where, const RowSlot& header, RowLocation place) {
    std::span<const uint8_t> row = encoder_.row();
    // Not the page the bytes lie on now: the row does not fit there even in its own space.
    const uint32_t page = pageFor(row.size());
    uint8_t* bytes = file_.writablePage(page);
    AddedRow added = addRow(file_.format(), bytes, row.size());
    std::memcpy(added.bytes, row.data(), row.size());
    setRowFlags(file_.format(), bytes, added.row, kDeletedFlag);
    if (table_.freeSpacePages.page != 0 && isFull(page))
        removePageFromMap(file_, table_.freeSpacePages, page);

    uint8_t pointer[row_layout::kLookupSize];
    putLookup(pointer, RowLocation{page, added.row});
    if (place == where) {
        replaceRow(file_.format(), file_.writablePage(where.page), where.row, pointer, kLookupFlag,
                   pageScratch_);
        noteRoom(where.page);
    } else {
        // The pointer keeps its 4 bytes; the former new place is given up.
        std::memcpy(file_.writablePage(where.page) + header.start, pointer, sizeof pointer);
        setRowFlags(file_.format(), file_.writablePage(place.page), place.row, kDeletedRowFlags);
    }
}

// A page whose rows take less room now may take rows again.
void TableWriter::noteRoom(uint32_t page) {
    if (table_.freeSpacePages.page != 0 && !isFull(page))
        addPageToMap(file_, allocator_, table_.freeSpacePages, page);
}

}  // namespace jet
