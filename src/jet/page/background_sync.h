// Making a file's written data durable while its writer goes on: fdatasync on a thread of its
// own, asked for every few dozen megabytes, so that the writer's own sync at the end of a table
// finds little left to wait for. Only a head start: the writer's sync still decides.
//
// The thread starts with the first request and ends with the object. A failed background sync
// is never lost: wait() hands its errno to the writer, who reports it as its own sync's failure
// (a failed fdatasync may leave the next one succeeding although data was lost).
//
// Threads: request() and wait() from the writer's thread; the sync runs on the object's own.
#pragma once

#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>

namespace jet {

class BackgroundSync {
  public:
    // `fd` must stay open until the object is destroyed.
    explicit BackgroundSync(int fd) : fd_(fd) {}
    // Waits for a sync that is running or asked for (the thread, stopped, still finishes it).
    ~BackgroundSync() = default;
    BackgroundSync(const BackgroundSync&) = delete;
    BackgroundSync& operator=(const BackgroundSync&) = delete;

    // Starts a sync unless one is running or asked for already; does not wait for it.
    void request();
    // Waits until no sync runs or is asked for. Returns the errno of the first background sync
    // that failed since the last call, 0 when none did.
    int wait();

  private:
    void run(std::stop_token stop);

    int fd_;
    std::mutex mutex_;
    std::condition_variable_any changed_;
    // Guarded by mutex_.
    bool pending_ = false;  // asked for or running
    int error_ = 0;
    std::jthread thread_;  // last: stopped and joined first
};

}  // namespace jet
