// Runs a long library call on a thread of its own while the caller samples its progress: tick is
// called on the caller's thread every interval, and the wait ends at once when the call returns.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace procedures {

template <typename Work, typename Tick>
int runSampled(Work work, std::chrono::milliseconds interval, Tick tick) {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    int result = 0;
    std::thread worker([&] {
        const int r = work();
        std::lock_guard lock(m);
        result = r;
        done = true;
        cv.notify_one();
    });
    {
        std::unique_lock lock(m);
        while (!cv.wait_for(lock, interval, [&] { return done; })) {
            lock.unlock();
            tick();
            lock.lock();
        }
    }
    worker.join();
    return result;
}

}  // namespace procedures
