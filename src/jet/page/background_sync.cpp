#include "jet/page/background_sync.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace jet {

void BackgroundSync::request() {
    std::lock_guard lock(mutex_);
    if (pending_) return;
    if (!thread_.joinable()) {
        try {
            thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
        } catch (const std::system_error&) {
            return;  // no thread to be had: the writer's own sync does it all
        }
    }
    pending_ = true;
    changed_.notify_all();
}

int BackgroundSync::wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !pending_; });
    const int error = error_;
    error_ = 0;
    return error;
}

void BackgroundSync::run(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    while (changed_.wait(lock, stop, [this] { return pending_; })) {
        lock.unlock();
        int error = 0;
        while (::fdatasync(fd_) != 0) {
            if (errno == EINTR) continue;
            error = errno;
            break;
        }
        lock.lock();
        if (error != 0 && error_ == 0) error_ = error;
        pending_ = false;
        changed_.notify_all();
    }
}

}  // namespace jet
