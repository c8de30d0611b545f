#include "odbc/fetch_ahead.h"

#include <pthread.h>

#include <algorithm>
#include <exception>
#include <utility>

namespace odbc {

FetchAhead::FetchAhead(size_t columns, Fill fill, size_t depth, bool threaded)
    : fill_(std::move(fill)), threaded_(threaded) {
    blocks_.resize(std::max<size_t>(depth, 2));
    for (auto& block : blocks_) block = std::make_unique<RowBlock>(columns);
}

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
    RowBlock& first = *blocks_[0];
    fillSafely(first, {});
    reading_ = 0;
    if (first.last() || !threaded_) return first;
    producer_ = std::jthread([this](std::stop_token stop) { produce(stop); });
    // A name of its own, so that profilers and debuggers tell the fetching apart.
    pthread_setname_np(producer_.native_handle(), "odbc-fetch");
    return first;
}

// The blocks in use lie in ring order from the reader's on: its own, then the ready ones. The
// producer fills the one after them, and waits while no block is free of both.
void FetchAhead::produce(std::stop_token stop) {
    size_t filling = 1;
    for (;;) {
        RowBlock& block = *blocks_[filling];
        fillSafely(block, stop);
        std::unique_lock lock(mutex_);
        if (stop.stop_requested()) return;
        ++ready_;
        changed_.notify_all();
        if (block.last()) return;
        if (!changed_.wait(lock, stop, [this] { return ready_ + 1 < blocks_.size(); })) return;
        filling = (filling + 1) % blocks_.size();
    }
}

const RowBlock& FetchAhead::next() {
    if (!threaded_) {
        reading_ = (reading_ + 1) % blocks_.size();
        fillSafely(*blocks_[reading_], {});
        return *blocks_[reading_];
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return ready_ > 0; });
    --ready_;  // and the block held so far is free for the producer again
    reading_ = (reading_ + 1) % blocks_.size();
    changed_.notify_all();
    return *blocks_[reading_];
}

}  // namespace odbc
