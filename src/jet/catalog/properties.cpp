#include "jet/catalog/properties.h"

#include <algorithm>

#include "jet/base/code_page_text.h"
#include "jet/base/text.h"
#include "jet/catalog/property_value.h"

namespace jet {

namespace {

namespace L = property_layout;

std::string number(size_t n) {
    return std::to_string(n);
}

// Throws unless `length` bytes from `at` lie inside `view`; `what` names the part in German.
void requireInside(ByteView view, size_t at, size_t length, const char* what) {
    if (at > view.size() || length > view.size() - at)
        throwCorrupt(view.page(),
                     std::string(what) +
                         " reicht über das Ende der Eigenschaftsdaten hinaus (Versatz " +
                         number(at) + ", Länge " + number(length) + ", vorhanden " +
                         number(view.size()) + ")");
}

// A u16 byte length and that many bytes of UCS-2, or of the code page when `codec` is set;
// advances `at` past it.
std::u16string readName(ByteView view, size_t& at, const CodePageText* codec) {
    requireInside(view, at, L::kNameLength, "Ein Eigenschaftsname");
    const uint16_t length = view.u16(at);
    if (!codec && length % 2 != 0)
        throwCorrupt(view.page(), "Eigenschaftsname mit ungerader Länge " + number(length));
    requireInside(view, at + L::kNameLength, length, "Ein Eigenschaftsname");
    const auto bytes = view.sub(at + L::kNameLength, length).span();
    std::u16string name = codec ? codec->decode(bytes) : decodeUcs2(bytes);
    at += L::kNameLength + length;
    return name;
}

std::vector<std::u16string> readNameList(ByteView body, const CodePageText* codec) {
    std::vector<std::u16string> names;
    for (size_t at = 0; at < body.size();) names.push_back(readName(body, at, codec));
    return names;
}

// One entry at `at`; returns its stored length, at least the entry header.
size_t readEntry(ByteView body, size_t at, const std::vector<std::u16string>& names,
                 const CodePageText* codec, Property& out) {
    requireInside(body, at, L::kEntryHeader, "Ein Eigenschaftseintrag");
    const size_t length = body.u16(at + L::kEntryLength);
    const size_t valueSize = body.u16(at + L::kEntryValueSize);
    if (length < L::kEntryHeader + valueSize)
        throwCorrupt(body.page(), "Eigenschaftseintrag der Länge " + number(length) +
                                      " zu kurz für einen Wert von " + number(valueSize) +
                                      " Bytes");
    requireInside(body, at, length, "Ein Eigenschaftseintrag");
    const size_t nameIndex = body.u16(at + L::kEntryNameIndex);
    if (nameIndex >= names.size())
        throwCorrupt(body.page(), "Eigenschaft verweist auf Name Nr. " + number(nameIndex) +
                                      " außerhalb der Namensliste (Länge " + number(names.size()) +
                                      ")");
    ByteView value = body.sub(at + L::kEntryHeader, valueSize);
    out.name = names[nameIndex];
    out.ddlFlag = body.u8(at + L::kEntryDdlFlag);
    out.typeCode = body.u8(at + L::kEntryType);
    out.raw.assign(value.span().begin(), value.span().end());
    out.value = decodePropertyValue(out.typeCode, value, codec);
    return length;
}

// The block header: its length (where the entries start) and the object's name.
size_t readBlockHeader(ByteView body, const CodePageText* codec, PropertyBlock& block) {
    requireInside(body, 0, L::kBlockHeader, "Der Kopf eines Eigenschaftsblocks");
    const size_t length = body.u32(L::kBlockLength);
    if (length < L::kBlockHeader)
        throwCorrupt(body.page(), "Kopf eines Eigenschaftsblocks mit Länge " + number(length));
    requireInside(body, 0, length, "Der Kopf eines Eigenschaftsblocks");
    size_t at = L::kBlockNameLength;
    block.objectName = readName(body.sub(0, length), at, codec);
    return length;
}

PropertyBlock readValueBlock(ByteView body, uint16_t chunkType,
                             const std::vector<std::u16string>& names, const CodePageText* codec) {
    PropertyBlock block;
    block.chunkType = chunkType;
    if (body.size() == 0) return block;
    for (size_t at = readBlockHeader(body, codec, block); at < body.size();)
        at += readEntry(body, at, names, codec, block.properties.emplace_back());
    return block;
}

// The blob's text codec: nullptr for "MR2" (UCS-2), the file's code page for "KKD".
const CodePageText* codecOf(ByteView blob, uint16_t fileCodePage) {
    auto starts = [&](const std::array<uint8_t, 4>& magic) {
        return blob.size() >= magic.size() &&
               std::equal(magic.begin(), magic.end(), blob.span().begin());
    };
    if (starts(L::kMagicJet4)) return nullptr;
    if (starts(L::kMagicJet3)) return &codePageText(fileCodePage);
    throwCorrupt(blob.page(), "Eigenschaften beginnen nicht mit der Kennung MR2 oder KKD");
}

}  // namespace

const Property* PropertyBlock::find(std::u16string_view name) const {
    for (const Property& p : properties)
        if (equalIgnoringCase(p.name, name)) return &p;
    return nullptr;
}

const PropertyBlock* PropertySet::object() const {
    for (const PropertyBlock& b : blocks)
        if (b.chunkType == property_chunk::kObject) return &b;
    return nullptr;
}

const PropertyBlock* PropertySet::column(std::u16string_view columnName) const {
    for (const PropertyBlock& b : blocks)
        if (b.chunkType == property_chunk::kColumn && equalIgnoringCase(b.objectName, columnName))
            return &b;
    return nullptr;
}

PropertySet parsePropertyBlob(ByteView blob, uint16_t fileCodePage) {
    PropertySet set;
    if (blob.size() == 0) return set;
    const CodePageText* codec = codecOf(blob, fileCodePage);
    if (codec) set.codePage = codec->number();
    bool haveNames = false;
    for (size_t at = L::kMagicJet4.size(); at < blob.size();) {
        requireInside(blob, at, L::kChunkHeader, "Ein Abschnittskopf");
        const size_t length = blob.u32(at + L::kChunkLength);
        const uint16_t type = blob.u16(at + L::kChunkType);
        // Also what keeps a zero length from looping forever.
        if (length < L::kChunkHeader)
            throwCorrupt(blob.page(), "Eigenschaftsabschnitt mit Länge " + number(length));
        requireInside(blob, at, length, "Ein Abschnitt");
        ByteView body = blob.sub(at + L::kChunkHeader, length - L::kChunkHeader);
        if (type == property_chunk::kNameList) {
            if (haveNames) throwCorrupt(blob.page(), "zweite Namensliste in den Eigenschaften");
            set.names = readNameList(body, codec);
            haveNames = true;
        } else {
            set.blocks.push_back(readValueBlock(body, type, set.names, codec));
        }
        at += length;
    }
    return set;
}

}  // namespace jet
