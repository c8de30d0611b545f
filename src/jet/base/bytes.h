// Bounded little-endian reads over a byte range. Every parser of the file format reads through
// a ByteView, so that a malformed file ends in an Error naming the page, never in a stray read.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "jet/base/errors.h"

namespace jet {

class ByteView {
  public:
    ByteView() = default;
    // `page` is only used to name the place in error messages.
    ByteView(std::span<const uint8_t> bytes, uint32_t page) : bytes_(bytes), page_(page) {}

    size_t size() const { return bytes_.size(); }
    uint32_t page() const { return page_; }
    std::span<const uint8_t> span() const { return bytes_; }
    const uint8_t* data() const { return bytes_.data(); }

    uint8_t u8(size_t at) const {
        require(at, 1);
        return bytes_[at];
    }
    uint16_t u16(size_t at) const {
        require(at, 2);
        return static_cast<uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
    }
    uint32_t u24(size_t at) const {
        require(at, 3);
        return uint32_t{bytes_[at]} | uint32_t{bytes_[at + 1]} << 8 |
               uint32_t{bytes_[at + 2]} << 16;
    }
    uint32_t u32(size_t at) const {
        require(at, 4);
        uint32_t v;
        std::memcpy(&v, bytes_.data() + at, 4);
        return v;
    }
    int32_t i32(size_t at) const { return static_cast<int32_t>(u32(at)); }
    uint64_t u64(size_t at) const {
        require(at, 8);
        uint64_t v;
        std::memcpy(&v, bytes_.data() + at, 8);
        return v;
    }
    double f64(size_t at) const {
        uint64_t bits = u64(at);
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }
    // A sub-range; throws when it does not lie inside this view.
    ByteView sub(size_t at, size_t length) const {
        require(at, length);
        return ByteView(bytes_.subspan(at, length), page_);
    }
    ByteView from(size_t at) const {
        require(at, 0);
        return ByteView(bytes_.subspan(at), page_);
    }

    void require(size_t at, size_t length) const {
        if (at > bytes_.size() || length > bytes_.size() - at) outOfBounds(at, length);
    }

  private:
    [[noreturn]] void outOfBounds(size_t at, size_t length) const;

    std::span<const uint8_t> bytes_;
    uint32_t page_ = 0;
};

inline void putU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void putU32(uint8_t* p, uint32_t v) {
    std::memcpy(p, &v, 4);
}

}  // namespace jet
