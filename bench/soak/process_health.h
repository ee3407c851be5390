// Samples this process's open descriptors and resident memory once a second and judges growth:
// the largest values late in the run may not exceed those of the first half (memory within a slack).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace soak {

struct HealthSample {
    double seconds;   // since the soak began
    int descriptors;
    long residentKiB;
    bool logOpen;     // the runtime log holds a descriptor of its own while it is open
};

class ProcessHealth {
public:
    ProcessHealth();
    ~ProcessHealth();  // stops and joins the sampling thread
    ProcessHealth(const ProcessHealth&) = delete;
    ProcessHealth& operator=(const ProcessHealth&) = delete;

    // Set before a log is opened and cleared after it is closed, so no sample counts it unlabelled.
    void setLogOpen(bool open) { logOpen_ = open; }
    void stop();
    // A message when descriptors or memory grew, else nothing; also a one-line summary.
    std::optional<std::string> judge(std::string& summary) const;

private:
    void sample();

    const std::chrono::steady_clock::time_point begin_ = std::chrono::steady_clock::now();
    std::atomic<bool> logOpen_{false};
    mutable std::mutex mutex_;
    std::condition_variable stopRequested_;
    bool stopping_ = false;
    std::vector<HealthSample> samples_;
    std::thread thread_;
};

int openDescriptors();
long residentKiB();
// The judgement itself, on any series of samples in time order.
std::optional<std::string> judgeGrowth(const std::vector<HealthSample>& samples, std::string& summary);

}  // namespace soak
