// Watches the export in progress from a thread of its own; one that overruns its deadline ends the
// soak at once with a message naming it, since a hung call would never come back to report itself.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace soak {

constexpr int kExitHang = 3;

class HangWatch {
public:
    HangWatch();
    ~HangWatch();  // stops and joins the watching thread
    HangWatch(const HangWatch&) = delete;
    HangWatch& operator=(const HangWatch&) = delete;

    void begin(std::string name, std::chrono::milliseconds budget, std::chrono::milliseconds slack);
    void end();

private:
    void watch();

    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    bool active_ = false;
    std::string name_;
    std::chrono::milliseconds budget_{}, slack_{};
    std::chrono::steady_clock::time_point deadline_{};
    std::thread thread_;
};

}  // namespace soak
