#include "jet/table/long_value.h"

#include "jet/page/usage_map.h"

namespace jet {

using namespace long_value_layout;

LongValueRef parseLongValueRef(ByteView field) {
    LongValueRef ref;
    uint32_t word = field.u32(0);
    ref.length = word & kLengthMask;
    ref.storage = word & ~kLengthMask;
    if (ref.storage != kInline) {
        ref.row = field.u8(kRowPointer);
        ref.page = field.u24(kRowPointer + 1);
    }
    return ref;
}

Bytes readLongValue(PageFile& file, ByteView field) {
    LongValueRef ref = parseLongValueRef(field);
    if (ref.storage == kInline) {
        ByteView data = field.sub(kDescriptorSize, ref.length);
        return Bytes(data.data(), data.data() + data.size());
    }
    if (ref.storage == kSingleRow) {
        ByteView row = readRowBytes(file, ref.page, ref.row);
        ByteView data = row.sub(0, ref.length);
        return Bytes(data.data(), data.data() + data.size());
    }
    if (ref.storage != 0) throwCorrupt(field.page(), "unbekannte Art eines langen Werts");
    Bytes out;
    out.reserve(ref.length);
    uint32_t page = ref.page;
    uint8_t row = ref.row;
    // Every chained row carries data, so a chain longer than the value is a loop.
    size_t hops = 0;
    while (out.size() < ref.length) {
        if (page == 0 || ++hops > ref.length)
            throwCorrupt(field.page(), "Kette eines langen Werts bricht ab");
        ByteView chained = readRowBytes(file, page, row);
        ByteView data = chained.from(kChainHeader);
        size_t take = std::min<size_t>(data.size(), ref.length - out.size());
        out.insert(out.end(), data.data(), data.data() + take);
        row = chained.u8(kNextRow);
        page = chained.u24(kNextPage);
    }
    return out;
}

}  // namespace jet
