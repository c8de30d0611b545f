// The hand-over between the fetching thread and the reader, with fills that need no driver:
// blocks arrive in order and whole, and destruction never hangs or outlives what it stops.
#include "odbc/fetch_ahead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

namespace odbc {
namespace {

const ValueKind kInt = ValueKind::Integer;

// Fills blocks of `perBlock` rows numbered on from 0, one Integer column, until `total`.
struct Counting {
    int32_t total;
    int32_t perBlock;
    std::shared_ptr<std::atomic<int32_t>> next = std::make_shared<std::atomic<int32_t>>(0);

    void operator()(RowBlock& block, const std::stop_token&) const {
        block.clear();
        for (int32_t i = 0; i < perBlock && *next < total; ++i) {
            int32_t n = (*next)++;
            block.beginRow();
            block.setCell(0, kInt, {reinterpret_cast<const unsigned char*>(&n), sizeof n, false});
        }
        if (*next == total) block.finish();
    }
};

TEST(FetchAhead, BlocksArriveInOrderAndStayIntactWhileHeld) {
    for (size_t depth : {2, 3, 5}) {
        Counting fill{10000, 7};
        FetchAhead ahead(1, fill, depth);
        const RowBlock* block = &ahead.start();
        int32_t expected = 0;
        for (;;) {
            // Give the producer time to run ahead: it must not touch the block held here.
            if (expected % 700 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            for (size_t row = 0; row < block->rows(); ++row) {
                ASSERT_EQ(block->value(row, 0), Value(expected++)) << "depth " << depth;
            }
            if (block->last()) break;
            block = &ahead.next();
        }
        EXPECT_EQ(expected, 10000);
    }
}

// For drivers not proven safe to fetch from another thread: each block is filled on the
// reader's thread when it asks for it, never before.
TEST(FetchAhead, WithoutAThreadEachBlockIsFilledWhenAskedFor) {
    Counting fill{100, 30};
    FetchAhead ahead(1, fill, 4, false);
    const RowBlock* block = &ahead.start();
    int32_t expected = 0;
    for (;;) {
        EXPECT_EQ(*fill.next, std::min(expected + 30, 100)) << "nothing filled ahead";
        for (size_t row = 0; row < block->rows(); ++row) {
            ASSERT_EQ(block->value(row, 0), Value(expected++));
        }
        if (block->last()) break;
        block = &ahead.next();
    }
    EXPECT_EQ(expected, 100);
}

// A value that cannot be read fails only its own cell; the row's other values stay.
TEST(RowBlock, AFailedCellKeepsItsErrorAndTheRowItsOtherValues) {
    RowBlock block(2);
    const int32_t n = 7;
    block.beginRow();
    block.setCell(0, kInt, {reinterpret_cast<const unsigned char*>(&n), sizeof n, false});
    block.failCell(1, std::make_exception_ptr(std::runtime_error("kaputt")));
    block.beginRow();
    block.failRow(std::make_exception_ptr(std::runtime_error("Zeile")));
    ASSERT_EQ(block.rows(), 2u);
    EXPECT_EQ(block.value(0, 0), Value(int32_t{7}));
    EXPECT_FALSE(block.cellError(0, 0));
    EXPECT_TRUE(block.cellError(0, 1));
    EXPECT_TRUE(block.cellError(1, 0) && block.cellError(1, 1));
    block.clear();
    block.beginRow();
    block.setCell(1, kInt, {nullptr, 0, true});
    EXPECT_FALSE(block.cellError(0, 1)) << "a new filling forgets the old errors";
    EXPECT_TRUE(block.isNull(0, 1));
}

TEST(FetchAhead, TheProducerRunsAheadByAllBlocksButTheReadersAndNoFurther) {
    Counting fill{1 << 30, 10};
    FetchAhead ahead(1, fill, 4);
    auto settled = [&] {
        int32_t seen = -1;
        while (seen != *fill.next) {
            seen = *fill.next;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return seen / 10;  // blocks filled
    };
    ahead.start();
    EXPECT_EQ(settled(), 4);  // the reader's and three ahead
    EXPECT_EQ(ahead.next().value(0, 0), Value(int32_t{10}));
    EXPECT_EQ(settled(), 5);
    ahead.next();
    ahead.next();
    EXPECT_EQ(ahead.next().value(0, 0), Value(int32_t{40}));
    EXPECT_EQ(settled(), 8);
}

TEST(FetchAhead, SmallResultNeedsNoThreadAndLargeOneStopsWhenAbandoned) {
    Counting small{3, 100};
    FetchAhead once(1, small);
    EXPECT_TRUE(once.start().last());

    // Abandoned after the first block, while the producer waits with a filled one, and while
    // it is still filling: destruction returns in all cases.
    for (int held : {0, 1, 2}) {
        Counting endless{1 << 30, 50};
        auto ahead = std::make_unique<FetchAhead>(1, endless);
        ahead->start();
        for (int i = 0; i < held; ++i) ahead->next();
        ahead.reset();
        int32_t stoppedAt = *endless.next;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(*endless.next, stoppedAt) << "filling went on after destruction";
    }
}

TEST(FetchAhead, FillInProgressEndsOnStopAndThrownErrorsReachTheReader) {
    std::atomic<bool> entered = false;
    {
        FetchAhead ahead(1, [&](RowBlock& block, const std::stop_token& stop) {
            block.clear();
            if (!entered.exchange(true)) return;  // the first block: empty, not last
            while (!stop.stop_requested()) std::this_thread::yield();
        });
        ahead.start();
        while (!entered) std::this_thread::yield();
    }  // must not hang

    FetchAhead failing(1, [](RowBlock& block, const std::stop_token&) {
        block.clear();
        throw std::runtime_error("kein Speicher");
    });
    const RowBlock& block = failing.start();
    EXPECT_TRUE(block.last());
    EXPECT_THROW(std::rethrow_exception(block.endError()), std::runtime_error);
}

}  // namespace
}  // namespace odbc
