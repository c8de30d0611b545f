#include "jet/catalog/property_writer.h"

#include <bit>
#include <cstring>
#include <limits>

#include "jet/base/code_page_text.h"
#include "jet/base/guid_text.h"
#include "jet/base/text.h"
#include "jet/catalog/property_value.h"

namespace jet {

namespace {

namespace L = property_layout;
namespace T = property_type;

void tooLong() {
    throw Error(ErrorCode::FieldTooSmall, "Eigenschaftsdaten zu lang für das Speicherformat");
}

uint16_t fit16(size_t n) {
    if (n > std::numeric_limits<uint16_t>::max()) tooLong();
    return static_cast<uint16_t>(n);
}

void putLe(std::vector<uint8_t>& out, uint64_t v, int width) {
    for (int i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Text in the blob's form: UCS-2, or the code page of a "KKD" blob (`codec` set).
std::vector<uint8_t> storedText(std::u16string_view text, const CodePageText* codec) {
    std::vector<uint8_t> out;
    if (!codec) {
        for (char16_t c : text) putLe(out, c, 2);
        return out;
    }
    if (auto bad = codec->encode(text, out))
        throw Error(ErrorCode::ConversionFailed, "Eigenschaft „" + toUtf8(text) + "“: " +
                                                     unencodableDescription(*bad, codec->number()));
    return out;
}

void putName(std::vector<uint8_t>& out, std::u16string_view name, const CodePageText* codec) {
    const std::vector<uint8_t> bytes = storedText(name, codec);
    putLe(out, fit16(bytes.size()), 2);
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// Reserves a chunk header; finishChunk fills in the length once the body is written.
size_t beginChunk(std::vector<uint8_t>& out, uint16_t type) {
    const size_t start = out.size();
    putLe(out, 0, 4);
    putLe(out, type, 2);
    return start;
}
void finishChunk(std::vector<uint8_t>& out, size_t start) {
    const size_t length = out.size() - start;
    if (length > std::numeric_limits<uint32_t>::max()) tooLong();
    for (int i = 0; i < 4; ++i)
        out[start + L::kChunkLength + static_cast<size_t>(i)] =
            static_cast<uint8_t>(length >> (8 * i));
}

// Exact match first so that a parsed list with names differing only in case stays exact.
size_t nameIndex(std::vector<std::u16string>& names, const std::u16string& name) {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return i;
    for (size_t i = 0; i < names.size(); ++i)
        if (equalIgnoringCase(names[i], name)) return i;
    names.push_back(name);
    return names.size() - 1;
}

// A "KKD" blob stores text values in its code page; `raw` may hold them as UCS-2 (a property
// made by makeProperty), so they are written from the decoded value.
void putEntry(std::vector<uint8_t>& out, const Property& p, size_t index,
              const CodePageText* codec) {
    const auto* text = std::get_if<std::u16string>(&p.value);
    const bool recode = codec && text && (p.typeCode == T::kText || p.typeCode == T::kMemo);
    const std::vector<uint8_t> recoded = recode ? storedText(*text, codec) : std::vector<uint8_t>{};
    const std::vector<uint8_t>& value = recode ? recoded : p.raw;
    putLe(out, fit16(L::kEntryHeader + value.size()), 2);
    out.push_back(p.ddlFlag);
    out.push_back(p.typeCode);
    putLe(out, fit16(index), 2);
    putLe(out, fit16(value.size()), 2);
    out.insert(out.end(), value.begin(), value.end());
}

void putBlock(std::vector<uint8_t>& out, const PropertyBlock& b, std::vector<std::u16string>& names,
              const CodePageText* codec) {
    const size_t start = beginChunk(out, b.chunkType);
    // The parser reads an empty body as a nameless block without entries; keep it empty.
    if (!b.objectName.empty() || !b.properties.empty()) {
        const size_t header = out.size();
        putLe(out, 0, 4);
        putName(out, b.objectName, codec);
        const size_t headerLength = out.size() - header;
        for (int i = 0; i < 4; ++i)
            out[header + static_cast<size_t>(i)] = static_cast<uint8_t>(headerLength >> (8 * i));
        for (const Property& p : b.properties) putEntry(out, p, nameIndex(names, p.name), codec);
    }
    finishChunk(out, start);
}

[[noreturn]] void misfit(const std::u16string& name, uint8_t typeCode) {
    throw Error(ErrorCode::ConversionFailed, "Wert der Eigenschaft " + toUtf8(name) +
                                                 " passt nicht zum Typ " +
                                                 std::to_string(typeCode));
}

std::optional<int64_t> asInteger(const Value& v) {
    if (auto* b = std::get_if<uint8_t>(&v)) return *b;
    if (auto* i = std::get_if<int16_t>(&v)) return *i;
    if (auto* l = std::get_if<int32_t>(&v)) return *l;
    if (auto* f = std::get_if<bool>(&v)) return *f ? -1 : 0;
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> encode(const Value& v, uint8_t typeCode) {
    std::vector<uint8_t> out;
    auto integer = [&](int width, int64_t lo, int64_t hi) -> bool {
        auto n = asInteger(v);
        if (!n || *n < lo || *n > hi) return false;
        putLe(out, static_cast<uint64_t>(*n), width);
        return true;
    };
    auto real = [&](double d) { putLe(out, std::bit_cast<uint64_t>(d), 8); };
    switch (typeCode) {
        case T::kBoolean:
            if (auto* b = std::get_if<bool>(&v))
                return std::vector<uint8_t>{*b ? uint8_t{1} : uint8_t{0}};
            return std::nullopt;
        case T::kByte:
            return integer(1, 0, 255) ? std::optional(out) : std::nullopt;
        case T::kInteger:
            return integer(2, INT16_MIN, INT16_MAX) ? std::optional(out) : std::nullopt;
        case T::kLong:
            return integer(4, INT32_MIN, INT32_MAX) ? std::optional(out) : std::nullopt;
        case T::kCurrency:
            if (auto* c = std::get_if<Currency>(&v))
                putLe(out, static_cast<uint64_t>(c->units), 8);
            else
                return std::nullopt;
            return out;
        case T::kSingle:
            if (auto* f = std::get_if<float>(&v))
                putLe(out, std::bit_cast<uint32_t>(*f), 4);
            else
                return std::nullopt;
            return out;
        case T::kDouble:
            if (auto* d = std::get_if<double>(&v))
                real(*d);
            else
                return std::nullopt;
            return out;
        case T::kDateTime:
            if (auto* d = std::get_if<DateTime>(&v))
                real(d->days);
            else
                return std::nullopt;
            return out;
        case T::kText:
        case T::kMemo:
            if (auto* s = std::get_if<std::u16string>(&v))
                for (char16_t c : *s) putLe(out, c, 2);
            else
                return std::nullopt;
            return out;
        case T::kBinary:
        case T::kOle:
            if (auto* b = std::get_if<Bytes>(&v)) return *b;
            if (auto* g = std::get_if<Guid>(&v); g && typeCode == T::kBinary) {
                // GUID properties are Binary-typed; same byte order as a GUID field.
                Guid stored = swapGuidByteOrder(*g);
                return Bytes(stored.bytes.begin(), stored.bytes.end());
            }
            return std::nullopt;
        case T::kGuid:
            if (auto* g = std::get_if<Guid>(&v)) {
                Guid stored = swapGuidByteOrder(*g);
                return Bytes(stored.bytes.begin(), stored.bytes.end());
            }
            return std::nullopt;
        default:
            if (auto* b = std::get_if<Bytes>(&v)) return *b;
            return std::nullopt;
    }
}

struct WellKnown {
    std::u16string_view name;
    PropertyKind kind;
};

// Types and DDL flags as Access writes them in the fixture files (DefaultValue also turns up as
// Text in some files; Access itself uses Memo). Names not seen there follow Jackcess' types.
constexpr WellKnown kWellKnown[] = {
    {u"Required", {T::kBoolean, true}},
    {u"AllowZeroLength", {T::kBoolean, true}},
    {u"DefaultValue", {T::kMemo, true}},
    {u"ValidationRule", {T::kText, true}},
    {u"ValidationText", {T::kText, true}},
    {u"Description", {T::kMemo, false}},
    {u"Caption", {T::kMemo, false}},
    {u"Format", {T::kText, true}},
    {u"InputMask", {T::kText, false}},
    {u"DecimalPlaces", {T::kByte, true}},
    {u"UnicodeCompression", {T::kBoolean, true}},
    {u"ColumnWidth", {T::kInteger, false}},
    {u"ColumnOrder", {T::kInteger, false}},
    {u"ColumnHidden", {T::kBoolean, false}},
    {u"DisplayControl", {T::kInteger, true}},
    {u"IMEMode", {T::kByte, true}},
    {u"IMESentenceMode", {T::kByte, true}},
    {u"TextAlign", {T::kByte, false}},
    {u"AggregateType", {T::kLong, false}},
    {u"GUID", {T::kBinary, true}},
    {u"ResultType", {T::kByte, true}},
    {u"Expression", {T::kMemo, false}},
    {u"AccessVersion", {T::kText, false}},
    {u"Title", {T::kText, false}},
    {u"Author", {T::kText, false}},
    {u"Company", {T::kText, false}},
};

}  // namespace

std::vector<uint8_t> writePropertyBlob(const PropertySet& set) {
    const CodePageText* codec = set.codePage ? &codePageText(set.codePage) : nullptr;
    // Names first into a copy: entries may add names, and the list precedes the blocks.
    std::vector<std::u16string> names = set.names;
    std::vector<uint8_t> blocks;
    for (const PropertyBlock& b : set.blocks) putBlock(blocks, b, names, codec);
    const auto& magic = codec ? L::kMagicJet3 : L::kMagicJet4;
    std::vector<uint8_t> out(magic.begin(), magic.end());
    const size_t start = beginChunk(out, property_chunk::kNameList);
    for (const auto& n : names) putName(out, n, codec);
    finishChunk(out, start);
    out.insert(out.end(), blocks.begin(), blocks.end());
    return out;
}

Property makeProperty(std::u16string name, const Value& value, uint8_t typeCode, bool ddl) {
    auto raw = encode(value, typeCode);
    if (!raw) misfit(name, typeCode);
    Property p;
    p.ddlFlag = ddl ? 1 : 0;
    p.typeCode = typeCode;
    p.raw = std::move(*raw);
    p.value = decodePropertyValue(typeCode, ByteView(p.raw, 0));
    p.name = std::move(name);
    return p;
}

void setProperty(PropertyBlock& block, Property property) {
    for (Property& p : block.properties)
        if (equalIgnoringCase(p.name, property.name)) {
            p = std::move(property);
            return;
        }
    block.properties.push_back(std::move(property));
}

PropertyBlock& columnBlock(PropertySet& set, std::u16string_view columnName) {
    for (PropertyBlock& b : set.blocks)
        if (b.chunkType == property_chunk::kColumn && equalIgnoringCase(b.objectName, columnName))
            return b;
    PropertyBlock& b = set.blocks.emplace_back();
    b.chunkType = property_chunk::kColumn;
    b.objectName = std::u16string(columnName);
    return b;
}

PropertyBlock& objectBlock(PropertySet& set) {
    for (PropertyBlock& b : set.blocks)
        if (b.chunkType == property_chunk::kObject) return b;
    PropertyBlock b;
    b.chunkType = property_chunk::kObject;
    return *set.blocks.insert(set.blocks.begin(), std::move(b));
}

std::optional<PropertyKind> wellKnownPropertyType(std::u16string_view name) {
    for (const WellKnown& w : kWellKnown)
        if (equalIgnoringCase(w.name, name)) return w.kind;
    return std::nullopt;
}

}  // namespace jet
