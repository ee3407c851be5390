// A request to stop a running procedure, asked between frames: a procedure that sees it finishes the frame
// in flight, writes nothing more and reports what was written and what was not. Set from a signal handler
// (cradlectl's Ctrl-C) or another thread (the program's cancel); reading it never blocks.
#pragma once

#include <atomic>

namespace procedures {

class StopRequest {
public:
    void request() noexcept { stop_.store(true, std::memory_order_release); }
    bool requested() const noexcept { return stop_.load(std::memory_order_acquire); }
    void clear() noexcept { stop_.store(false, std::memory_order_release); }

private:
    // Lock-free on every target, so a signal handler may set it.
    std::atomic<bool> stop_{false};
    static_assert(std::atomic<bool>::is_always_lock_free);
};

}  // namespace procedures
