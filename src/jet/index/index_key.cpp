#include "jet/index/index_key.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>

#include "jet/base/code_page_text.h"
#include "jet/base/errors.h"
#include "jet/base/text.h"
#include "jet/format/extended_date_layout.h"
#include "jet/index/index_key_format.h"
#include "jet/table/extended_date_field.h"
#include "jet/table/index_value_conversion.h"

namespace jet {
namespace {

using index_key_format::nullByte;
using index_key_format::startByte;

namespace key_byte {
// Booleans sort true first: true takes the low byte ascending, the high byte descending.
inline constexpr uint8_t kBooleanLow = 0x00;
inline constexpr uint8_t kBooleanHigh = 0xFF;
// Binary and GUID values go in segments of 8 bytes, each closed by a length byte; a full
// segment with more to come says "more" instead of its length.
inline constexpr size_t kSegmentSize = 8;
inline constexpr uint8_t kSegmentMore = 9;
// Decimal keys: a sign byte of its own, then the 16-byte magnitude big-endian.
inline constexpr uint8_t kDecimalNegativeStored = 0x80;
inline constexpr uint8_t kDecimalNegativeKey = 0x00;
inline constexpr uint8_t kDecimalPositiveKey = 0xFF;
}  // namespace key_byte

// The General sort orders: LCID 1033 (English), version 0 (General Legacy, Jet 4 and ACE 12)
// or 1 (General, ACE 14 and later). An LCID of 0 means the database default, which is the
// same order.
inline constexpr uint16_t kGeneralLcid = 1033;
inline constexpr uint8_t kGeneralLegacyVersion = 0;
inline constexpr uint8_t kGeneral2010Version = 1;
// Jet 3's General sort order.
inline constexpr uint16_t kGeneral97Lcid = 0x0409;
// Bytes reserved for a key up front: numbers and short texts fit.
inline constexpr size_t kKeyReserve = 64;

void invertFrom(std::vector<uint8_t>& out, size_t start) {
    for (size_t i = start; i < out.size(); ++i) out[i] = static_cast<uint8_t>(~out[i]);
}

void appendBigEndian(std::vector<uint8_t>& out, uint64_t bits, size_t bytes) {
    for (size_t i = bytes; i-- > 0;) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

// Two's complement integers: flipping the sign bit makes unsigned byte order numeric order.
void appendInteger(std::vector<uint8_t>& out, int64_t value, size_t bytes, bool ascending) {
    const uint64_t signBit = uint64_t{1} << (8 * bytes - 1);
    const size_t start = out.size();
    appendBigEndian(out, static_cast<uint64_t>(value) ^ signBit, bytes);
    if (!ascending) invertFrom(out, start);
}

// IEEE numbers: a set sign bit (negative, including -0) inverts everything, else only the sign
// bit flips.
void appendFloating(std::vector<uint8_t>& out, uint64_t bits, size_t bytes, bool ascending) {
    const uint64_t signBit = uint64_t{1} << (8 * bytes - 1);
    const uint64_t mask = bytes == 8 ? ~uint64_t{0} : (signBit << 1) - 1;
    bits = (bits & signBit) ? (~bits & mask) : (bits ^ signBit);
    const size_t start = out.size();
    appendBigEndian(out, bits, bytes);
    if (!ascending) invertFrom(out, start);
}

void appendBoolean(std::vector<uint8_t>& out, bool value, bool ascending) {
    out.push_back(value == ascending ? key_byte::kBooleanLow : key_byte::kBooleanHigh);
}

// Descending inverts the data and the final length byte, but not the "more" bytes between.
void appendSegmented(std::vector<uint8_t>& out, std::span<const uint8_t> data, bool ascending) {
    for (size_t pos = 0; pos < data.size(); pos += key_byte::kSegmentSize) {
        const size_t length = std::min(key_byte::kSegmentSize, data.size() - pos);
        const bool last = pos + length == data.size();
        const size_t start = out.size();
        out.insert(out.end(), data.begin() + pos, data.begin() + pos + length);
        out.resize(start + key_byte::kSegmentSize, 0);
        if (!last) {
            if (!ascending) invertFrom(out, start);
            out.push_back(key_byte::kSegmentMore);
            continue;
        }
        out.push_back(static_cast<uint8_t>(length));
        if (!ascending) invertFrom(out, start);
    }
}

// Jet 4 keeps Access's old decimal rule, which orders descending keys wrongly (negative
// values first): the sign byte is overwritten after the optional inversion.
void appendLegacyDecimal(std::vector<uint8_t>& out, const Decimal& value, bool ascending) {
    const bool negative = value.negative && (value.high != 0 || value.low != 0);
    const size_t start = out.size();
    out.push_back(negative ? key_byte::kDecimalNegativeStored : 0);
    appendBigEndian(out, value.high, sizeof value.high);
    appendBigEndian(out, value.low, sizeof value.low);
    if (negative == ascending) invertFrom(out, start);
    out[start] = negative ? key_byte::kDecimalNegativeKey : key_byte::kDecimalPositiveKey;
}

// ACE's decimal rule: the sign byte is set before the inversion, so both directions sort right.
void appendDecimal(std::vector<uint8_t>& out, const Decimal& value, bool ascending) {
    const bool negative = value.negative && (value.high != 0 || value.low != 0);
    const size_t start = out.size();
    out.push_back(key_byte::kDecimalPositiveKey);
    appendBigEndian(out, value.high, sizeof value.high);
    appendBigEndian(out, value.low, sizeof value.low);
    if (negative == ascending) invertFrom(out, start);
}

// The stored text in blocks of 8 with a separator after each; descending inverts all but the
// separators.
void appendExtendedDate(std::vector<uint8_t>& out, const ExtendedDateTime& value, bool ascending) {
    using namespace extended_date_layout;
    uint8_t stored[kSize];
    writeExtendedDateField(value, stored);
    uint8_t trailer[sizeof kKeyAscendingTrailer];
    std::copy(std::begin(kKeyAscendingTrailer), std::end(kKeyAscendingTrailer), trailer);
    if (!ascending) {
        for (uint8_t& b : stored) b = static_cast<uint8_t>(~b);
        for (uint8_t& b : trailer) b = static_cast<uint8_t>(~b);
    }
    for (size_t block = 0; block < kKeyBlocks; ++block) {
        const uint8_t* from = stored + block * kKeyBlockSize;
        out.insert(out.end(), from, from + kKeyBlockSize);
        out.push_back(kKeyBlockSeparator);
    }
    out.insert(out.end(), stored + kKeyBlocks * kKeyBlockSize, stored + kSize);
    out.insert(out.end(), std::begin(trailer), std::end(trailer));
}

bool isGeneralSortOrder(const ColumnDef& column, uint8_t version) {
    return (column.sortLcid == kGeneralLcid || column.sortLcid == 0) &&
           column.sortVersion == version;
}

[[noreturn]] void throwNotIndexable(const ColumnDef& column, const std::string& why) {
    throw Error(ErrorCode::UnsupportedFormat,
                "Für die Spalte „" + toUtf8(column.name) +
                    "“ kann kein Indexschlüssel gebildet werden: " + why + ".");
}

// Jet 3 text: the General 97 key of the text's code-page bytes.
void appendCodePageText(std::vector<uint8_t>& out, const ColumnDef& column, const Value& value,
                        bool ascending) {
    if (column.sortLcid != kGeneral97Lcid) {
        throwNotIndexable(column, "die Sortierreihenfolge (LCID " +
                                      std::to_string(column.sortLcid) + ") wird nicht unterstützt");
    }
    const CodePageText& codec = codePageText(column.codePage);
    std::string bytes;
    const auto* text = std::get_if<std::u16string>(&value);
    const std::u16string converted = text ? std::u16string() : textValue(column, value);
    if (codec.encode(text ? std::u16string_view(*text) : std::u16string_view(converted), bytes))
        throwNotIndexable(column, "der Text enthält ein Zeichen außerhalb der Codepage " +
                                      std::to_string(column.codePage));
    appendText97Key(out, bytes, ascending);
}

void appendText(std::vector<uint8_t>& out, const ColumnDef& column, const Value& value,
                bool ascending) {
    if (column.codePage != 0) return appendCodePageText(out, column, value, ascending);
    auto append = appendTextKey;
    if (!isGeneralSortOrder(column, kGeneralLegacyVersion)) {
        if (!isGeneralSortOrder(column, kGeneral2010Version)) {
            const std::string version =
                column.sortVersion ? ", Version " + std::to_string(column.sortVersion) : "";
            throwNotIndexable(column, "die Sortierreihenfolge (LCID " +
                                          std::to_string(column.sortLcid) + version +
                                          ") wird nicht unterstützt");
        }
        append = appendTextGeneralKey;
    }
    if (auto* text = std::get_if<std::u16string>(&value)) return append(out, *text, ascending);
    append(out, textValue(column, value), ascending);
}

// The value bytes after the start flag, for the types other than Boolean and text.
void appendNonNull(std::vector<uint8_t>& out, const ColumnDef& column, const Value& value,
                   bool ascending) {
    switch (column.type()) {
        case ColumnType::Byte: {
            out.push_back(static_cast<uint8_t>(integerValue(column, value, 0, UINT8_MAX)));
            if (!ascending) invertFrom(out, out.size() - 1);
            return;
        }
        case ColumnType::Integer:
            return appendInteger(out, integerValue(column, value, INT16_MIN, INT16_MAX), 2,
                                 ascending);
        case ColumnType::Long:
        case ColumnType::Complex:
            return appendInteger(out, integerValue(column, value, INT32_MIN, INT32_MAX), 4,
                                 ascending);
        case ColumnType::BigInt:
            return appendInteger(out, integerValue(column, value, INT64_MIN, INT64_MAX), 8,
                                 ascending);
        case ColumnType::Currency:
            return appendInteger(out, currencyValue(column, value).units, 8, ascending);
        case ColumnType::ExtendedDateTime:
            return appendExtendedDate(out, extendedDateValue(column, value), ascending);
        case ColumnType::Single:
            return appendFloating(out, std::bit_cast<uint32_t>(singleValue(column, value)), 4,
                                  ascending);
        case ColumnType::Double:
        case ColumnType::DateTime:
            return appendFloating(out, std::bit_cast<uint64_t>(doubleValue(column, value)), 8,
                                  ascending);
        case ColumnType::Guid: {
            const Guid guid = guidValue(column, value);
            return appendSegmented(out, guid.bytes, ascending);
        }
        case ColumnType::Binary: {
            if (auto* bytes = std::get_if<Bytes>(&value))
                return appendSegmented(out, *bytes, ascending);
            return appendSegmented(out, binaryValue(column, value), ascending);
        }
        case ColumnType::Decimal:
            if (!column.legacyDecimalKey)
                return appendDecimal(out, decimalValue(column, value), ascending);
            return appendLegacyDecimal(out, decimalValue(column, value), ascending);
        default:
            throwNotIndexable(column, "der Datentyp lässt sich nicht indizieren");
    }
}

bool isIndexable(const ColumnDef& column) {
    return isKnownColumnType(column.typeCode) && column.type() != ColumnType::OLE;
}

}  // namespace

void appendColumnKey(std::vector<uint8_t>& out, const ColumnDef& column, const Value& value,
                     bool ascending) {
    if (!isIndexable(column)) {
        throwNotIndexable(column, std::string("Spalten vom Typ ") +
                                      columnTypeName(column.typeCode) +
                                      " lassen sich nicht indizieren");
    }
    if (column.type() == ColumnType::Boolean) {
        // A Yes/No field is never NULL; a missing value counts as No.
        out.push_back(startByte(ascending));
        appendBoolean(out, booleanValue(column, value), ascending);
        return;
    }
    if (isNull(value)) {
        out.push_back(nullByte(ascending));
        return;
    }
    if (column.type() == ColumnType::Text || column.type() == ColumnType::Memo) {
        appendText(out, column, value, ascending);  // writes its own start byte
        return;
    }
    out.push_back(startByte(ascending));
    appendNonNull(out, column, value, ascending);
}

std::vector<uint8_t> indexKey(const TableDefinition& table, const RealIndexDef& index,
                              std::span<const Value> valuesByNumber) {
    std::vector<uint8_t> key;
    key.reserve(kKeyReserve);  // one allocation for most keys
    indexKey(table, index, valuesByNumber, key);
    return key;
}

void indexKey(const TableDefinition& table, const RealIndexDef& index,
              std::span<const Value> valuesByNumber, std::vector<uint8_t>& key) {
    const Value null{};
    key.clear();
    for (const IndexColumn& indexColumn : index.columns) {
        const ColumnDef* column = table.columnByNumber(indexColumn.columnNumber);
        if (column == nullptr) {
            throw Error(ErrorCode::DatabaseCorrupt, "Der Index nennt die Spalte Nummer " +
                                                        std::to_string(indexColumn.columnNumber) +
                                                        ", die die Tabelle nicht hat.");
        }
        const bool present = indexColumn.columnNumber < valuesByNumber.size();
        appendColumnKey(key, *column, present ? valuesByNumber[indexColumn.columnNumber] : null,
                        indexColumn.ascending);
    }
}

}  // namespace jet
