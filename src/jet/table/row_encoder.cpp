#include "jet/table/row_encoder.h"

#include <algorithm>
#include <cstring>

#include "jet/table/field_encoding.h"
#include "jet/table/index_value_conversion.h"
#include "jet/table/text_compression.h"

namespace jet {

using long_value_layout::kDescriptorSize;

namespace {

bool isBoolean(const ColumnDef& c) {
    return c.typeCode == uint8_t(ColumnType::Boolean);
}

[[noreturn]] void throwTooLarge(size_t size, size_t limit) {
    throw Error(ErrorCode::RecordTooLarge, "Der Datensatz ist zu groß (" + std::to_string(size) +
                                               " Bytes, höchstens " + std::to_string(limit) + ").");
}

uint32_t storageBits(LongValueStorage storage) {
    switch (storage) {
        case LongValueStorage::Inline:
            return long_value_layout::kInline;
        case LongValueStorage::SingleRow:
            return long_value_layout::kSingleRow;
        case LongValueStorage::Chain:
            return long_value_layout::kChain;
    }
    return long_value_layout::kChain;
}

}  // namespace

RowEncoder::RowEncoder(const Format& format, const TableDefinition& table)
    : layout_(format.row), longValues_(format.longValue) {
    uint16_t highest = 0;
    size_t slots = table.varColumns;
    for (const ColumnDef& c : table.columns) {
        highest = std::max(highest, c.number);
        if (isBoolean(c)) {
            booleanColumns_.push_back(&c);
        } else if (c.isFixed() && !c.isLongValue()) {
            fixedColumns_.push_back(&c);
            fixedAreaSize_ = std::max<size_t>(fixedAreaSize_, size_t{c.fixedOffset} + c.length);
        } else {
            slots = std::max<size_t>(slots, size_t{c.varIndex} + 1);
            hasLongValues_ = hasLongValues_ || c.isLongValue();
        }
    }
    // Rows of a table whose definition counts no variable columns have no offset table, so
    // readers would not find variable fields there.
    if (table.varColumns == 0 && slots > 0)
        throwCorrupt(table.firstPage, "variable Spalten in einer Tabelle ohne variable Spalten");
    varSlots_.assign(slots, nullptr);
    for (const ColumnDef& c : table.columns) {
        if (isBoolean(c) || (c.isFixed() && !c.isLongValue())) continue;
        if (varSlots_[c.varIndex] != nullptr)
            throwCorrupt(table.firstPage, "zwei Spalten im selben variablen Feld");
        varSlots_[c.varIndex] = &c;
    }
    columnCount_ = std::max<uint16_t>(table.maxColumns, static_cast<uint16_t>(highest + 1));
    mask_.assign((size_t{columnCount_} + 7) / 8, 0);
    hasVarTrailer_ = table.varColumns > 0;
    trailerSize_ = mask_.size() + (hasVarTrailer_ ? layout_.wordSize * (slots + 2) : 0);
    minimumRowSize_ = layout_.fixedArea + fixedAreaSize_ + trailerSize_;
    fields_.resize(slots);
    offsets_.resize(slots);
    buffer_.resize(2 * layout_.maxRowSize);
}

uint8_t* RowEncoder::grow(size_t bytes) {
    if (size_ + bytes > buffer_.size()) buffer_.resize(std::max(2 * buffer_.size(), size_ + bytes));
    uint8_t* at = buffer_.data() + size_;
    size_ += bytes;
    return at;
}

void RowEncoder::append(const uint8_t* bytes, size_t size) {
    if (size > 0) std::memcpy(grow(size), bytes, size);
}

const Value& RowEncoder::valueOf(std::span<const Value> values, uint16_t number) const {
    return number < values.size() ? values[number] : null_;
}

void RowEncoder::markPresent(uint16_t number) {
    mask_[number / 8] = static_cast<uint8_t>(mask_[number / 8] | 1u << (number % 8));
}

void RowEncoder::encodeFixed(const ColumnDef& column, const Value& value) {
    if (isNull(value)) return;
    uint8_t* at = buffer_.data() + layout_.fixedArea + column.fixedOffset;
    if (writeFixedFieldBytes(column, value, at, column.length) == 0) {
        scratch_.clear();
        appendFieldBytes(column, value, scratch_);
        if (scratch_.size() > column.length) throwTooLong(column, scratch_.size(), column.length);
        std::memcpy(at, scratch_.data(), scratch_.size());
    }
    markPresent(column.number);
}

// Without long values every variable field goes straight into the row, in slot order.
void RowEncoder::appendShortVarFields(std::span<const Value> values) {
    for (size_t slot = 0; slot < varSlots_.size(); ++slot) {
        offsets_[slot] = static_cast<uint16_t>(size_);
        const ColumnDef* column = varSlots_[slot];
        if (column == nullptr) continue;
        const Value& value = valueOf(values, column->number);
        if (isNull(value)) continue;
        markPresent(column->number);
        if (column->type() == ColumnType::Text) {
            const std::u16string_view text = fieldText(*column, value);
            const size_t room = maxStoredTextSize(text.size());
            const size_t stored = writeStoredText(*column, text, grow(room));
            size_ -= room - stored;
        } else {
            scratch_.clear();
            appendFieldBytes(*column, value, scratch_);
            append(scratch_.data(), scratch_.size());
        }
    }
}

// Encodes the variable fields into the scratch buffers; returns the bytes they take in the
// row with every long value counted as a bare descriptor.
size_t RowEncoder::collectVarFields(std::span<const Value> values) {
    varData_.clear();
    longData_.clear();
    size_t size = 0;
    for (size_t slot = 0; slot < varSlots_.size(); ++slot) {
        VarField& f = fields_[slot];
        f = VarField{};
        const ColumnDef* column = varSlots_[slot];
        if (column == nullptr) continue;
        const Value& value = valueOf(values, column->number);
        if (isNull(value)) continue;
        f.present = true;
        markPresent(column->number);
        f.longValue = column->isLongValue();
        if (!f.longValue) {
            f.begin = varData_.size();
            appendFieldBytes(*column, value, varData_);
            f.size = varData_.size() - f.begin;
            size += f.size;
            continue;
        }
        if (column->type() == ColumnType::OLE) {
            auto* bytes = std::get_if<Bytes>(&value);
            if (bytes == nullptr) throwWrongKind(*column);
            f.external = bytes->data();
            f.size = bytes->size();
        } else {
            auto* text = std::get_if<std::u16string>(&value);
            if (text == nullptr) throwWrongKind(*column);
            f.begin = longData_.size();
            appendStoredText(*column, *text, longData_);
            f.size = longData_.size() - f.begin;
        }
        if (f.size > long_value_layout::kLengthMask)
            throwTooLong(*column, f.size, long_value_layout::kLengthMask);
        size += kDescriptorSize;
    }
    return size;
}

// Long values stay in the row, in slot order, while they are small and the row has room left
// once every field is in; the rest go to long-value rows.
void RowEncoder::chooseLongValueStorage(size_t rowSize) {
    size_t room = layout_.maxRowSize - rowSize;
    for (VarField& f : fields_) {
        if (!f.present || !f.longValue) continue;
        if (f.size <= longValues_.maxInline && f.size <= room) {
            f.storage = LongValueStorage::Inline;
            room -= f.size;
        } else if (f.size <= longValues_.maxRowData) {
            f.storage = LongValueStorage::SingleRow;
        } else {
            f.storage = LongValueStorage::Chain;
        }
    }
}

void RowEncoder::appendVarFields() {
    outOfRow_.clear();
    for (size_t slot = 0; slot < fields_.size(); ++slot) {
        offsets_[slot] = static_cast<uint16_t>(size_);
        const VarField& f = fields_[slot];
        if (!f.present) continue;
        if (!f.longValue) {
            append(varData_.data() + f.begin, f.size);
            continue;
        }
        const uint8_t* data = f.external ? f.external : longData_.data() + f.begin;
        const size_t at = size_;
        uint8_t* descriptor = grow(kDescriptorSize);
        std::memset(descriptor, 0, kDescriptorSize);
        putU32(descriptor, static_cast<uint32_t>(f.size) | storageBits(f.storage));
        if (f.storage == LongValueStorage::Inline)
            append(data, f.size);
        else
            outOfRow_.push_back({varSlots_[slot]->number, f.storage, {data, f.size}, at});
    }
}

// Jet 3 rows: how many jump bytes a row of `base` bytes without them takes. They count in the
// row's length, which decides their number: (length - 1) / 256, solved by iteration.
size_t RowEncoder::jumpBytes(size_t base) const {
    if (!layout_.jumpTable || !hasVarTrailer_) return 0;
    size_t jumps = 0;
    for (;;) {
        const size_t next = (base + jumps - 1) / 256;
        if (next == jumps) return jumps;
        jumps = next;
    }
}

size_t RowEncoder::sizeWithTrailer(size_t beforeTrailer) const {
    return beforeTrailer + trailerSize_ + jumpBytes(beforeTrailer + trailerSize_);
}

// Jump k holds the first entry (offset i, or the end of data as entry count) at or past
// 256 * (k + 1); 0xFF when none is, as Access writes unneeded ones.
uint8_t RowEncoder::jumpEntry(size_t k, size_t endOfData) const {
    const size_t boundary = 256 * (k + 1);
    for (size_t i = 0; i < offsets_.size(); ++i)
        if (offsets_[i] >= boundary) return static_cast<uint8_t>(i);
    return endOfData >= boundary ? static_cast<uint8_t>(offsets_.size()) : 0xFF;
}

// Jet 3: end of data, offsets last first, jump bytes (jump 0 next to the count), the count,
// each one byte, offsets modulo 256.
void RowEncoder::appendByteTrailer() {
    const size_t endOfData = size_;
    const size_t jumps = jumpBytes(size_ + trailerSize_);
    uint8_t* p = grow(trailerSize_ + jumps);
    if (hasVarTrailer_) {
        *p++ = static_cast<uint8_t>(endOfData);
        for (size_t slot = offsets_.size(); slot-- > 0;) *p++ = static_cast<uint8_t>(offsets_[slot]);
        for (size_t k = jumps; k-- > 0;) *p++ = jumpEntry(k, endOfData);
        *p++ = static_cast<uint8_t>(offsets_.size());
    }
    std::memcpy(p, mask_.data(), mask_.size());
}

void RowEncoder::appendTrailer() {
    if (layout_.jumpTable) return appendByteTrailer();
    const size_t at = size_;
    uint8_t* p = grow(trailerSize_);
    if (hasVarTrailer_) {
        const size_t word = layout_.wordSize;
        putU16(p, static_cast<uint16_t>(at));  // end of the variable data
        p += word;
        for (size_t slot = offsets_.size(); slot-- > 0; p += word) putU16(p, offsets_[slot]);
        putU16(p, static_cast<uint16_t>(offsets_.size()));
        p += word;
    }
    std::memcpy(p, mask_.data(), mask_.size());
}

void RowEncoder::encode(std::span<const Value> valuesByNumber) {
    size_ = 0;
    uint8_t* fixed = grow(layout_.fixedArea + fixedAreaSize_);
    std::memset(fixed, 0, layout_.fixedArea + fixedAreaSize_);
    if (layout_.wordSize == 1)
        fixed[row_layout::kColumnCount] = static_cast<uint8_t>(columnCount_);
    else
        putU16(fixed + row_layout::kColumnCount, columnCount_);
    std::fill(mask_.begin(), mask_.end(), uint8_t{0});
    outOfRow_.clear();
    try {
        for (const ColumnDef* c : booleanColumns_)
            if (booleanValue(*c, valueOf(valuesByNumber, c->number))) markPresent(c->number);
        for (const ColumnDef* c : fixedColumns_)
            encodeFixed(*c, valueOf(valuesByNumber, c->number));
        if (hasLongValues_) {
            const size_t size = sizeWithTrailer(size_ + collectVarFields(valuesByNumber));
            if (size > layout_.maxRowSize) throwTooLarge(size, layout_.maxRowSize);
            chooseLongValueStorage(size);
            appendVarFields();
        } else {
            appendShortVarFields(valuesByNumber);
            const size_t size = sizeWithTrailer(size_);
            if (size > layout_.maxRowSize) throwTooLarge(size, layout_.maxRowSize);
        }
        appendTrailer();
    } catch (...) {
        size_ = 0;
        outOfRow_.clear();
        throw;
    }
}

void RowEncoder::setLongValueRow(const OutOfRowValue& value, RowLocation where) {
    uint8_t* pointer = buffer_.data() + value.descriptorAt + long_value_layout::kRowPointer;
    pointer[0] = where.row;
    pointer[1] = static_cast<uint8_t>(where.page);
    pointer[2] = static_cast<uint8_t>(where.page >> 8);
    pointer[3] = static_cast<uint8_t>(where.page >> 16);
}

}  // namespace jet
