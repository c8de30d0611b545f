// Buffering ahead for a result set: while the reader works through one block of rows, a thread
// of its own fills the next ones, so the source's fetching and the caller's work overlap. With
// more than two blocks either side may stall for a while (a driver waiting for the server's next
// batch, a writer flushing) without stopping the other.
//
// The fetching thread alone uses the statement from start() until the object is destroyed;
// the reader only sees finished blocks. Destroying the object (closing the result set, an
// exception, an abandoned copy) stops the thread after the block it is filling, at the next
// row, and waits for it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

#include "odbc/row_block.h"

namespace odbc {

class FetchAhead {
  public:
    // Fills a block (see RowReader::fill); must not throw, and should return soon once the
    // token asks it to stop.
    using Fill = std::function<void(RowBlock&, std::stop_token)>;

    // `depth` blocks in all (at least two): the one the reader holds, and up to depth - 1
    // filled ahead of it. Without `threaded` nothing is filled ahead: next() fills the next
    // block on the calling thread, for drivers not proven safe to fetch from a thread of
    // their own.
    FetchAhead(size_t columns, Fill fill, size_t depth = 2, bool threaded = true);
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
    bool threaded_;
    // Used as a ring: filled in turn, read in the same turn.
    std::vector<std::unique_ptr<RowBlock>> blocks_;
    size_t reading_ = 0;  // the block the reader holds
    std::mutex mutex_;
    std::condition_variable_any changed_;
    // Guarded by mutex_: the blocks after reading_ that are filled and wait for the reader.
    size_t ready_ = 0;
    std::jthread producer_;  // last: stopped and joined before the blocks go
};

}  // namespace odbc
