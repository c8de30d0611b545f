// Double buffering for a result set: while the reader works through one block of rows, a
// thread of its own fills the next, so the source's fetching and the caller's work overlap.
//
// The fetching thread alone uses the statement from start() until the object is destroyed;
// the reader only sees finished blocks. Destroying the object (closing the result set, an
// exception, an abandoned copy) stops the thread after the block it is filling, at the next
// row, and waits for it.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

#include "odbc/row_block.h"

namespace odbc {

class FetchAhead {
  public:
    // Fills a block (see RowReader::fill); must not throw, and should return soon once the
    // token asks it to stop.
    using Fill = std::function<void(RowBlock&, std::stop_token)>;

    FetchAhead(size_t columns, Fill fill);
    ~FetchAhead();
    FetchAhead(const FetchAhead&) = delete;
    FetchAhead& operator=(const FetchAhead&) = delete;

    // Fills the first block on the calling thread and returns it; unless it is the last, the
    // fetching thread starts on the next one.
    const RowBlock& start();
    // Gives back the block returned before, which the fetching thread may then refill, and
    // returns the next one once it is finished. Not after a block marked last.
    const RowBlock& next();

  private:
    void fillSafely(RowBlock& block, std::stop_token stop);
    void produce(std::stop_token stop);

    Fill fill_;
    std::array<RowBlock, 2> blocks_;
    size_t reading_ = 0;  // the block the reader holds
    std::mutex mutex_;
    std::condition_variable_any changed_;
    // Guarded by mutex_: the block the reader does not hold is filled and waits for it.
    bool ready_ = false;
    std::jthread producer_;  // last: stopped and joined before the blocks go
};

}  // namespace odbc
