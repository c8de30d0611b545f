#include "jet/table/row_format.h"

#include <algorithm>

#include "jet/base/text.h"
#include "jet/table/field_encoding.h"
#include "jet/table/long_value.h"

namespace jet {

RowFormat::RowFormat(const TableDefinition& table) : table_(table) {
    uint16_t highest = 0;
    for (const auto& c : table.columns) highest = std::max(highest, c.number);
    slots_ = size_t{highest} + 1;
}

void RowFormat::split(ByteView row, std::vector<FieldSpan>& out) const {
    out.assign(slots_, FieldSpan{});
    uint16_t columnCount = row.u16(row_layout::kColumnCount);
    size_t maskLength = (size_t{columnCount} + 7) / 8;
    if (maskLength + 2 > row.size()) throwCorrupt(row.page(), "Zeile zu kurz für ihre Spalten");
    size_t maskAt = row.size() - maskLength;
    auto notNull = [&](uint16_t number) {
        return number < columnCount && (row.u8(maskAt + number / 8) >> (number % 8) & 1);
    };

    uint16_t varCount = 0;
    size_t offsetsEnd = maskAt;  // the offsets table lies just below the variable count
    if (table_.varColumns > 0) {
        if (maskAt < 4) throwCorrupt(row.page(), "Zeile zu kurz für ihre Spalten");
        varCount = row.u16(maskAt - 2);
        offsetsEnd = maskAt - 2;
        if (size_t{varCount} * 2 + 2 > offsetsEnd)
            throwCorrupt(row.page(), "unmögliche Zahl variabler Spalten in einer Zeile");
    }
    auto varOffset = [&](size_t i) { return row.u16(offsetsEnd - 2 - 2 * i); };

    for (const auto& c : table_.columns) {
        FieldSpan& f = out[c.number];
        if (c.typeCode == uint8_t(ColumnType::Boolean)) {
            f.present = notNull(c.number);
            continue;
        }
        if (!notNull(c.number)) continue;
        if (c.isFixed()) {
            f.bytes = row.sub(row_layout::kFixedArea + c.fixedOffset, c.length);
            f.present = true;
        } else if (c.varIndex < varCount) {
            uint16_t start = varOffset(c.varIndex);
            uint16_t end = varOffset(size_t{c.varIndex} + 1);
            if (end < start) throwCorrupt(row.page(), "verdrehte Grenzen einer variablen Spalte");
            f.bytes = row.sub(start, end - start);
            f.present = true;
        }
    }
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

}  // namespace

Value decodeField(PageFile& file, const ColumnDef& column, const FieldSpan& field) {
    if (column.typeCode == uint8_t(ColumnType::Boolean)) return field.present;
    if (!field.present) return Null{};
    const ByteView& b = field.bytes;
    switch (column.type()) {
        case ColumnType::Byte:
            return b.u8(0);
        case ColumnType::Integer:
            return static_cast<int16_t>(b.u16(0));
        case ColumnType::Long:
            return b.i32(0);
        case ColumnType::Currency:
            return Currency{static_cast<int64_t>(b.u64(0))};
        case ColumnType::Single:
            return fixedAs<float>(b);
        case ColumnType::Double:
            return b.f64(0);
        case ColumnType::DateTime:
            return DateTime{b.f64(0)};
        case ColumnType::Guid:
            return decodeGuid(b);
        case ColumnType::Decimal:
            return decodeDecimal(b, column.scale);
        case ColumnType::Text:
            return decodeStoredText(b.span());
        case ColumnType::Memo: {
            Bytes bytes = readLongValue(file, b);
            return decodeStoredText(bytes);
        }
        case ColumnType::OLE:
            return readLongValue(file, b);
        default:
            return Bytes(b.data(), b.data() + b.size());
    }
}

}  // namespace jet
