#include "jet/page/header_writer.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>

#include "jet/base/bytes.h"
#include "jet/base/civil_calendar.h"
#include "jet/format/page_layout.h"
#include "jet/page/header.h"
#include "jet/page/page_file.h"

namespace jet {

namespace {

using namespace header_layout;

// Bytes every Access-made Jet 4 file carries the same; their meaning is not documented.
constexpr uint8_t kRegionStart[] = {0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00,
                                    0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                    0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
constexpr size_t kEngineTag = 0x98;  // Jet 4: u32 1620, then "4.0"

void fillJet4Region(uint8_t* region, const NewHeader& h) {
    const HeaderLayout& layout = kJet4Format.header;
    auto at = [region](size_t offset) { return region + (offset - kMaskedStart); };
    putU32(at(kEncodingKey), 0);
    // Without a password the field holds the bare mask Jet 4 XORs passwords with: the
    // creation date's whole days, as four bytes, repeated.
    auto days = static_cast<uint32_t>(static_cast<int32_t>(h.creationDate));
    for (size_t i = 0; i < layout.passwordLength; i += 4) putU32(at(kPassword + i), days);
    *at(layout.sortOrder + 2) = 0;
    *at(layout.sortOrder + 3) = h.sortVersion;
    std::memcpy(at(layout.creationDate), &h.creationDate, sizeof(double));
}

// Access 97 keeps no creation date and no sort version; the password field stays zero.
void fillJet3Region(uint8_t* region) {
    region[kJet3Marker38 - kMaskedStart] = 0x01;
}

void fillRegion(uint8_t* region, const NewHeader& h, const Format& format) {
    auto at = [region](size_t offset) { return region + (offset - kMaskedStart); };
    std::memcpy(region, kRegionStart, sizeof kRegionStart);
    putU16(at(kCodePage), h.codePage);
    putU32(at(format.header.serial), h.serial);
    putU16(at(format.header.sortOrder), h.sortLcid);
    if (format.version == FormatVersion::Jet3)
        fillJet3Region(region);
    else
        fillJet4Region(region, h);
}

}  // namespace

std::vector<uint8_t> encodeHeaderPage(const NewHeader& header, const Format& format) {
    std::vector<uint8_t> page(format.pageSize, 0);
    page[page_layout::kMarker] = 0x01;
    std::memcpy(page.data() + kEngineName, format.isAce() ? kAceEngineName : kJetEngineName,
                sizeof kJetEngineName - 1);
    page[kVersion] = static_cast<uint8_t>(format.version);
    if (format.version >= FormatVersion::Ace14) page[kAfterVersion] = 0x01;
    uint8_t* region = page.data() + kMaskedStart;
    fillRegion(region, header, format);
    const auto& mask = headerMask();
    for (size_t i = 0; i < format.header.maskedLength; ++i) region[i] ^= mask[i];
    if (format.version != FormatVersion::Jet3) {
        putU32(page.data() + kEngineTag, 1620);
        std::memcpy(page.data() + kEngineTag + 4, "4.0", 3);
    }
    const size_t flags = format.header.flagWords;
    page[flags] = 0x01;
    for (size_t i = flags + 1; i < format.pageSize; i += 2) page[i] = 0x01;
    return page;
}

double jetDateNow() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const int64_t unixDays =
        daysFromCivil({local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                       static_cast<unsigned>(local.tm_mday)});
    const int64_t jetDays = unixDays + 25569;  // 1899-12-30 to 1970-01-01
    const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
    return double(jetDays) + seconds / 86400.0;
}

}  // namespace jet
