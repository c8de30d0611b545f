// The row position of a table's copy, which drives ProgressBar2 and decides when the copy
// yields, shows its speed and has the Access engine write its cache. Kept as an exact integer:
// a single-precision position would stop moving at 16,777,216 rows, and with it the yield.
#pragma once

#include <cstdint>

namespace engine {

class RowPosition {
  public:
    // Starts a table of `countedRows`: the maximum is one more, the position 1.
    void start(int64_t countedRows) {
        maximum_ = countedRows + 1;
        position_ = 1;
    }
    // Raises the position by one while it is below the maximum, so a server that delivers more
    // rows than it counted leaves the position at the maximum. True when it moved.
    bool advance() {
        if (maximum_ <= position_) {
            return false;
        }
        ++position_;
        return true;
    }
    int64_t position() const { return position_; }
    int64_t maximum() const { return maximum_; }
    bool isMultipleOf(int64_t step) const { return position_ % step == 0; }

  private:
    int64_t maximum_ = 1;
    int64_t position_ = 0;
};

}  // namespace engine
