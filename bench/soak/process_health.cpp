#include "process_health.h"

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <sstream>

namespace soak {
namespace {

constexpr auto kSamplePeriod = std::chrono::seconds(1);
constexpr double kWarmUpShare = 0.1;   // allocations settle during the first rounds
constexpr double kBaselineEnd = 0.5;   // the first half sets the baseline ...
constexpr double kFinalStart = 0.75;   // ... the last quarter is held to it
constexpr long kMemorySlackKiB = 2048;  // allocator and thread-stack noise, not a trend

struct Peak {
    int descriptors[2] = {-1, -1};  // per log state
    long residentKiB = -1;
};

Peak peakOf(const std::vector<HealthSample>& samples, double from, double to) {
    Peak peak;
    for (const HealthSample& s : samples) {
        if (s.seconds < from || s.seconds > to) continue;
        int& d = peak.descriptors[s.logOpen ? 1 : 0];
        d = std::max(d, s.descriptors);
        peak.residentKiB = std::max(peak.residentKiB, s.residentKiB);
    }
    return peak;
}

}  // namespace

int openDescriptors() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.') ++count;
        closedir(dir);
        --count;  // the directory stream's own descriptor
    }
    return count;
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) != 0) continue;
        std::istringstream fields(line.substr(6));
        long kib = -1;
        fields >> kib;
        return kib;
    }
    return -1;
}

ProcessHealth::ProcessHealth() : thread_([this] { sample(); }) {}

ProcessHealth::~ProcessHealth() { stop(); }

void ProcessHealth::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopRequested_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void ProcessHealth::sample() {
    std::unique_lock lock(mutex_);
    auto next = std::chrono::steady_clock::now();
    while (!stopping_) {
        next += kSamplePeriod;
        if (stopRequested_.wait_until(lock, next, [this] { return stopping_; })) break;
        const bool logOpen = logOpen_;
        const HealthSample s{std::chrono::duration<double>(std::chrono::steady_clock::now() - begin_).count(),
                             openDescriptors(), residentKiB(), logOpen};
        samples_.push_back(s);
    }
}

std::optional<std::string> ProcessHealth::judge(std::string& summary) const {
    std::lock_guard lock(mutex_);
    return judgeGrowth(samples_, summary);
}

std::optional<std::string> judgeGrowth(const std::vector<HealthSample>& samples, std::string& summary) {
    if (samples.empty()) {
        summary = "no health samples";
        return std::nullopt;
    }
    const double total = samples.back().seconds;
    const Peak baseline = peakOf(samples, total * kWarmUpShare, total * kBaselineEnd);
    const Peak final = peakOf(samples, total * kFinalStart, total);
    // A window may hold no sample with the log in one state; say so rather than print a count.
    const auto count = [](int descriptors) { return descriptors < 0 ? std::string("none") : std::to_string(descriptors); };
    std::ostringstream text;
    text << samples.size() << " samples; descriptors " << count(baseline.descriptors[0]) << " -> "
         << count(final.descriptors[0]) << " (with the log open " << count(baseline.descriptors[1]) << " -> "
         << count(final.descriptors[1]) << "); resident "
         << baseline.residentKiB << " KiB -> " << final.residentKiB << " KiB";
    summary = text.str();
    for (int log = 0; log < 2; ++log)
        if (baseline.descriptors[log] >= 0 && final.descriptors[log] > baseline.descriptors[log])
            return "open descriptors grew from " + std::to_string(baseline.descriptors[log]) + " to " +
                   std::to_string(final.descriptors[log]);
    if (baseline.residentKiB >= 0 && final.residentKiB > baseline.residentKiB + kMemorySlackKiB)
        return "resident memory grew from " + std::to_string(baseline.residentKiB) + " KiB to " +
               std::to_string(final.residentKiB) + " KiB";
    return std::nullopt;
}

}  // namespace soak
