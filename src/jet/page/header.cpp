#include "jet/page/header.h"

#include <cstring>

#include "jet/format/page_layout.h"

namespace jet {

namespace {

// RC4 keystream for the header key; computed once instead of carrying 128 opaque bytes.
std::array<uint8_t, header_layout::kMaxMaskedLength> computeMask() {
    const uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    std::array<uint8_t, 256> s{};
    for (int i = 0; i < 256; ++i) s[i] = static_cast<uint8_t>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    std::array<uint8_t, header_layout::kMaxMaskedLength> out{};
    for (size_t n = 0, i = 0, j = 0; n < out.size(); ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        out[n] = s[(s[i] + s[j]) & 0xFF];
    }
    return out;
}

[[noreturn]] void unsupported(const std::string& path, const std::string& what) {
    throw Error(ErrorCode::UnsupportedFormat,
                "Nicht erkennbares Datenbankformat '" + path + "': " + what + ".");
}

}  // namespace

const std::array<uint8_t, header_layout::kMaxMaskedLength>& headerMask() {
    static const auto mask = computeMask();
    return mask;
}

DatabaseHeader readHeader(ByteView page0, const std::string& path) {
    using namespace header_layout;
    static const char kJet[] = "Standard Jet DB";
    static const char kAce[] = "Standard ACE DB";
    page0.require(0, kMaskedStart + kMaxMaskedLength);
    const auto* name = reinterpret_cast<const char*>(page0.data() + kEngineName);
    bool jet = std::memcmp(name, kJet, 15) == 0;
    bool ace = std::memcmp(name, kAce, 15) == 0;
    if (page0.u8(page_layout::kPageType) != 0 || (!jet && !ace))
        unsupported(path, "keine Access-Datenbank");

    DatabaseHeader h;
    h.version = page0.u8(kVersion);
    const Format* format = formatForVersion(h.version);
    if (!format) unsupported(path, "unbekannte Version");

    const HeaderLayout& layout = format->header;
    const auto& mask = headerMask();
    for (size_t i = 0; i < layout.maskedLength; ++i)
        h.unmasked[i] = static_cast<uint8_t>(page0.u8(kMaskedStart + i) ^ mask[i]);
    ByteView region({h.unmasked.data(), h.unmasked.size()}, 0);
    auto at = [](size_t offset) { return offset - kMaskedStart; };
    h.codePage = region.u16(at(kCodePage));
    h.encodingKey = region.u32(at(kEncodingKey));
    h.sortLcid = region.u16(at(layout.sortOrder));
    // Jet 3 keeps only the LCID: its sort orders have no versions.
    if (format->version != FormatVersion::Jet3) h.sortVersion = region.u8(at(layout.sortOrder) + 3);
    if (layout.creationDate != 0) h.creationDate = region.f64(at(layout.creationDate));
    // ACE encrypts the whole file as soon as a database password is set.
    if (h.encodingKey != 0 && format->isAce())
        throw Error(ErrorCode::EncryptedDatabase,
                    "Die Datenbank '" + path +
                        "' ist mit einem Datenbankkennwort verschlüsselt; kennwortgeschützte "
                        ".accdb-Dateien werden nicht unterstützt.");
    if (h.encodingKey != 0)
        throw Error(
            ErrorCode::EncryptedDatabase,
            "Die Datenbank '" + path +
                "' ist verschlüsselt; verschlüsselte Datenbanken werden nicht unterstützt.");
    return h;
}

}  // namespace jet
