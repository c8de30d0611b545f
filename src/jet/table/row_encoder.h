// Encoding rows: a table's values by column number -> the bytes of a stored row, the inverse
// of RowFormat::split and decodeField (the layout is described in row_format.h).
//
// Every row is written the way Access writes it: the column count is the table's max_cols, the
// whole fixed area is present even for NULL fields and the slots of deleted columns, Yes/No
// fields live only in the null mask, and variable fields follow in the order of their slots
// in the offset table, a deleted slot taking no bytes. Long values (Memo, OLE) stay in the row
// when they are short (64 bytes for Jet 4) and the row has room for them; others are stored by the
// caller in long-value rows, whose place is then entered in the row's descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "jet/base/value.h"
#include "jet/format/format.h"
#include "jet/table/long_value.h"
#include "jet/table/row_format.h"
#include "jet/table/table.h"
#include "jet/table/table_definition.h"

namespace jet {

enum class LongValueStorage : uint8_t { Inline, SingleRow, Chain };

// A long value that does not stay in the row.
struct OutOfRowValue {
    uint16_t columnNumber = 0;
    LongValueStorage storage = LongValueStorage::SingleRow;
    std::span<const uint8_t> data;  // the stored bytes (Memo: as stored text)
    size_t descriptorAt = 0;        // where its descriptor lies in the row
};

class RowEncoder {
  public:
    // Rows of a file of `format`. `table` must outlive the encoder. Throws when the
    // definition's columns contradict each other (two columns in one variable slot).
    RowEncoder(const Format& format, const TableDefinition& table);

    // Encodes a row; `valuesByNumber[n]` is column n's value, positions past the end are NULL.
    // Values of another alternative than the column's own are converted as Jet converts them.
    // Throws Error (ConversionFailed, FieldTooSmall, NumericOverflow, RecordTooLarge) and
    // then holds no row. The results stay valid until the next call; they point into
    // `valuesByNumber` (OLE data), which must stay alive as long.
    void encode(std::span<const Value> valuesByNumber);

    // The row's bytes; out-of-row long values still lack their row pointer.
    std::span<const uint8_t> row() const { return {buffer_.data(), size_}; }
    // Long values to be stored in long-value rows, in the row's order.
    std::span<const OutOfRowValue> outOfRow() const { return outOfRow_; }
    // Enters the long-value row where `value` (one of outOfRow()) begins.
    void setLongValueRow(const OutOfRowValue& value, RowLocation where);

    // The size of this table's smallest row (every field NULL).
    size_t minimumRowSize() const { return minimumRowSize_; }

  private:
    struct VarField {
        bool present = false;
        bool longValue = false;
        LongValueStorage storage = LongValueStorage::Inline;
        const uint8_t* external = nullptr;  // OLE data in the caller's value
        size_t begin = 0;                   // else: in varData_ or longData_
        size_t size = 0;
    };

    const Value& valueOf(std::span<const Value> values, uint16_t number) const;
    void markPresent(uint16_t number);
    void encodeFixed(const ColumnDef& column, const Value& value);
    uint8_t* grow(size_t bytes);  // `bytes` more at the row's end, not initialised
    void append(const uint8_t* bytes, size_t size);
    void appendShortVarFields(std::span<const Value> values);
    size_t collectVarFields(std::span<const Value> values);
    void chooseLongValueStorage(size_t rowSize);
    void appendVarFields();
    void appendTrailer();
    void appendByteTrailer();
    size_t jumpBytes(size_t base) const;
    size_t sizeWithTrailer(size_t beforeTrailer) const;
    uint8_t jumpEntry(size_t k, size_t endOfData) const;

    const RowLayout& layout_;
    const LongValueLayout& longValues_;
    uint16_t columnCount_ = 0;
    size_t fixedAreaSize_ = 0;
    bool hasVarTrailer_ = false;
    bool hasLongValues_ = false;  // Memo or OLE columns: their fields wait for the row's size
    size_t trailerSize_ = 0;
    size_t minimumRowSize_ = 0;
    std::vector<const ColumnDef*> fixedColumns_;
    std::vector<const ColumnDef*> booleanColumns_;
    std::vector<const ColumnDef*> varSlots_;  // by slot; nullptr for a deleted column's slot
    const Value null_{};

    // Reused from row to row.
    // The row is the first size_ bytes of buffer_, which grows only for an oversized row: the
    // fields are written into it in place, with no buffer of their own.
    std::vector<uint8_t> buffer_;
    size_t size_ = 0;
    std::vector<uint8_t> mask_;
    std::vector<VarField> fields_;  // by slot
    std::vector<uint16_t> offsets_;
    std::vector<uint8_t> varData_;
    std::vector<uint8_t> longData_;
    std::vector<uint8_t> scratch_;
    std::vector<OutOfRowValue> outOfRow_;
};

}  // namespace jet
