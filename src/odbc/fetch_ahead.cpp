#include "odbc/fetch_ahead.h"

#include <exception>
#include <utility>

namespace odbc {

FetchAhead::FetchAhead(size_t columns, Fill fill)
    : fill_(std::move(fill)), blocks_{RowBlock(columns), RowBlock(columns)} {}

// The jthread member asks the producer to stop and joins it; the wait in produce() wakes on
// that request, and a fill in progress ends at its next row.
FetchAhead::~FetchAhead() = default;

// Whatever escapes a fill (memory running out) ends the result there for the reader.
void FetchAhead::fillSafely(RowBlock& block, std::stop_token stop) {
    try {
        fill_(block, std::move(stop));
    } catch (...) {
        block.finish(std::current_exception());
    }
}

const RowBlock& FetchAhead::start() {
    RowBlock& first = blocks_[0];
    fillSafely(first, {});
    reading_ = 0;
    if (!first.last()) producer_ = std::jthread([this](std::stop_token stop) { produce(stop); });
    return first;
}

// Two blocks: the producer fills the one the reader does not hold, then waits until the reader
// has taken it, which gives the other one back in the same step.
void FetchAhead::produce(std::stop_token stop) {
    size_t filling = 1;
    for (;;) {
        RowBlock& block = blocks_[filling];
        fillSafely(block, stop);
        std::unique_lock lock(mutex_);
        if (stop.stop_requested()) return;
        ready_ = true;
        changed_.notify_all();
        if (block.last()) return;
        if (!changed_.wait(lock, stop, [this] { return !ready_; })) return;
        filling = 1 - filling;
    }
}

const RowBlock& FetchAhead::next() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return ready_; });
    ready_ = false;  // and the block held so far is the producer's again
    reading_ = 1 - reading_;
    changed_.notify_all();
    return blocks_[reading_];
}

}  // namespace odbc
