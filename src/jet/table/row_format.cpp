#include "jet/table/row_format.h"

#include <algorithm>

#include "jet/base/code_page_text.h"
#include "jet/base/text.h"
#include "jet/table/calculated_value.h"
#include "jet/table/extended_date_field.h"
#include "jet/table/field_encoding.h"
#include "jet/table/long_value.h"

namespace jet {

RowFormat::RowFormat(const Format& format, const TableDefinition& table)
    : table_(table), layout_(format.row) {
    uint16_t highest = 0;
    for (const auto& c : table.columns) highest = std::max(highest, c.number);
    slots_ = size_t{highest} + 1;
}

void RowFormat::split(ByteView row, std::vector<FieldSpan>& out) const {
    out.assign(slots_, FieldSpan{});
    const size_t word = layout_.wordSize;
    uint16_t columnCount =
        word == 1 ? row.u8(row_layout::kColumnCount) : row.u16(row_layout::kColumnCount);
    size_t maskLength = (size_t{columnCount} + 7) / 8;
    if (maskLength + word > row.size()) throwCorrupt(row.page(), "Zeile zu kurz für ihre Spalten");
    size_t maskAt = row.size() - maskLength;
    auto notNull = [&](uint16_t number) {
        return number < columnCount && (row.u8(maskAt + number / 8) >> (number % 8) & 1);
    };

    VarOffsets offsets;
    if (table_.varColumns > 0)
        offsets = layout_.jumpTable ? jumpTableOffsets(row, maskAt) : wordOffsets(row, maskAt);

    for (const auto& c : table_.columns) {
        FieldSpan& f = out[c.number];
        if (c.isMaskBoolean()) {
            f.present = notNull(c.number);
            continue;
        }
        if (!notNull(c.number)) continue;
        if (c.isFixed()) {
            f.bytes = row.sub(layout_.fixedArea + c.fixedOffset, c.length);
            f.present = true;
        } else if (c.varIndex < offsets.count) {
            uint16_t start = offsets.at(row, c.varIndex);
            uint16_t end = offsets.at(row, size_t{c.varIndex} + 1);
            if (end < start) throwCorrupt(row.page(), "verdrehte Grenzen einer variablen Spalte");
            f.bytes = row.sub(start, end - start);
            f.present = true;
        }
    }
}

// Jet 4: u16 variable count below the mask, u16 offsets (last first) below it, the end of
// data below those.
RowFormat::VarOffsets RowFormat::wordOffsets(ByteView row, size_t maskAt) const {
    if (maskAt < 4) throwCorrupt(row.page(), "Zeile zu kurz für ihre Spalten");
    VarOffsets v;
    v.count = row.u16(maskAt - 2);
    const size_t offsetsEnd = maskAt - 2;
    if (size_t{v.count} * 2 + 2 > offsetsEnd)
        throwCorrupt(row.page(), "unmögliche Zahl variabler Spalten in einer Zeile");
    v.wide = true;
    v.end = offsetsEnd;
    return v;
}

// Jet 3: one-byte offsets hold each start modulo 256; the jump table says before which entry
// each further 256 begins. There are (row size - 1) / 256 jump bytes, the one farthest from the
// count being a dummy when the end of data lies below that many 256s.
RowFormat::VarOffsets RowFormat::jumpTableOffsets(ByteView row, size_t maskAt) const {
    if (maskAt < 2) throwCorrupt(row.page(), "Zeile zu kurz für ihre Spalten");
    VarOffsets v;
    const size_t countAt = maskAt - 1;
    v.count = row.u8(countAt);
    size_t jumps = (row.size() - 1) / 256;
    if (size_t{v.count} + 1 + jumps > countAt)
        throwCorrupt(row.page(), "unmögliche Zahl variabler Spalten in einer Zeile");
    const size_t offsetsEnd = countAt - jumps;          // offset bytes lie below, entry 0 highest
    const size_t endOfData = offsetsEnd - 1 - v.count;  // the end-of-data byte's own place
    if (jumps > 0 && endOfData / 256 < jumps) --jumps;
    v.full.resize(size_t{v.count} + 1);
    size_t used = 0;
    for (size_t i = 0; i <= v.count; ++i) {
        while (used < jumps && row.u8(countAt - 1 - used) == i) ++used;
        v.full[i] = static_cast<uint16_t>(row.u8(offsetsEnd - 1 - i) + 256 * used);
    }
    return v;
}

uint16_t RowFormat::VarOffsets::at(ByteView row, size_t i) const {
    if (wide) return row.u16(end - 2 - 2 * i);
    return full[i];
}

namespace {

Guid decodeGuid(ByteView b) {
    Guid g;
    for (size_t i = 0; i < field_layout::kGuidSize; ++i)
        g.bytes[i] = b.u8(field_layout::kGuidOrder[i]);
    return g;
}

Decimal decodeDecimal(ByteView b, uint8_t scale) {
    Decimal d;
    d.negative = (b.u8(0) & 0x80) != 0;
    d.scale = scale;
    d.high = uint64_t{b.u32(1)} << 32 | b.u32(5);
    d.low = uint64_t{b.u32(9)} << 32 | b.u32(13);
    return d;
}

template <typename T>
T fixedAs(ByteView b) {
    T v;
    b.require(0, sizeof(T));
    std::memcpy(&v, b.data(), sizeof(T));
    return v;
}

std::u16string decodeText(const ColumnDef& column, std::span<const uint8_t> stored) {
    if (column.codePage != 0) return codePageText(column.codePage).decode(stored);
    return decodeStoredText(stored);
}

// A fixed-size value from its bytes; nullopt for the other types.
std::optional<Value> decodeFixed(const ColumnDef& column, const ByteView& b) {
    switch (column.type()) {
        case ColumnType::Boolean:  // calculated only: a byte
            return b.u8(0) != 0;
        case ColumnType::Byte:
            return b.u8(0);
        case ColumnType::Integer:
            return static_cast<int16_t>(b.u16(0));
        case ColumnType::Long:
        case ColumnType::Complex:
            return b.i32(0);
        case ColumnType::BigInt:
            return static_cast<int64_t>(b.u64(0));
        case ColumnType::Currency:
            return Currency{static_cast<int64_t>(b.u64(0))};
        case ColumnType::Single:
            return fixedAs<float>(b);
        case ColumnType::Double:
            return b.f64(0);
        case ColumnType::DateTime:
            return DateTime{b.f64(0)};
        case ColumnType::ExtendedDateTime:
            return readExtendedDateField(b);
        case ColumnType::Guid:
            return decodeGuid(b);
        default:
            return std::nullopt;
    }
}

// A calculated column's value: the result's bytes unwrapped, decoded as the result type's. An
// empty result is NULL (Access stores that for a NULL result of a fixed-size type).
Value decodeCalculated(PageFile& file, const ColumnDef& column, const ByteView& stored) {
    if (column.type() == ColumnType::Memo) {
        const Bytes whole = readLongValue(file, stored);
        return decodeText(column, unwrapCalculatedValue(ByteView(whole, stored.page())).span());
    }
    const ByteView result = unwrapCalculatedValue(stored);
    if (column.type() == ColumnType::Text) return decodeText(column, result.span());
    if (result.size() == 0) return Null{};
    if (column.type() == ColumnType::Decimal) return decodeCalculatedDecimal(result);
    if (auto fixed = decodeFixed(column, result)) return std::move(*fixed);
    return Bytes(result.data(), result.data() + result.size());
}

}  // namespace

Value decodeField(PageFile& file, const ColumnDef& column, const FieldSpan& field) {
    if (column.isMaskBoolean()) return field.present;
    if (!field.present) return Null{};
    const ByteView& b = field.bytes;
    if (column.isCalculated()) return decodeCalculated(file, column, b);
    if (auto fixed = decodeFixed(column, b)) return std::move(*fixed);
    switch (column.type()) {
        case ColumnType::Decimal:
            return decodeDecimal(b, column.scale);
        case ColumnType::Text:
            return decodeText(column, b.span());
        case ColumnType::Memo:
            return decodeText(column, readLongValue(file, b));
        case ColumnType::OLE:
            return readLongValue(file, b);
        default:
            return Bytes(b.data(), b.data() + b.size());
    }
}

}  // namespace jet
