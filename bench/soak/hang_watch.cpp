#include "hang_watch.h"

#include <cstdio>
#include <unistd.h>

namespace soak {

HangWatch::HangWatch() : thread_([this] { watch(); }) {}

HangWatch::~HangWatch() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void HangWatch::begin(std::string name, std::chrono::milliseconds budget, std::chrono::milliseconds slack) {
    {
        std::lock_guard lock(mutex_);
        name_ = std::move(name);
        budget_ = budget;
        slack_ = slack;
        deadline_ = std::chrono::steady_clock::now() + budget + slack;
        active_ = true;
    }
    changed_.notify_all();
}

void HangWatch::end() {
    {
        std::lock_guard lock(mutex_);
        active_ = false;
    }
    changed_.notify_all();
}

void HangWatch::watch() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!active_) {
            changed_.wait(lock);
            continue;
        }
        const auto deadline = deadline_;
        if (changed_.wait_until(lock, deadline, [&] { return stopping_ || !active_ || deadline_ != deadline; }))
            continue;
        std::fprintf(stderr, "soak: FAILED: hang: %s took longer than %.1f s (worst case %.1f s plus %.1f s slack)\n",
                     name_.c_str(), double((budget_ + slack_).count()) / 1000, double(budget_.count()) / 1000,
                     double(slack_.count()) / 1000);
        std::fflush(stderr);
        _exit(kExitHang);  // the hung call holds library locks; leaving at once is the only safe way out
    }
}

}  // namespace soak
