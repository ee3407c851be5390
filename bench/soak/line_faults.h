// A bad line and a careless user, scripted on the simulator from a thread of its own: noise,
// corrupted and cut frames, dropped, late, split and refused replies at random moments, and the
// port pulled out every 20 s and plugged back in a few seconds later.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <random>
#include <string>
#include <thread>

#include "gimbalsim/Simulator.h"

namespace soak {

class LineFaults {
public:
    enum Kind { DroppedReply, CorruptReply, NoisyReply, SplitReply, LateReply, RefusedReply,
                LineNoise, CorruptFrame, CutFrame, Unplug, kKinds };

    LineFaults(gimbalsim::Simulator& simulator, uint32_t seed);
    ~LineFaults();  // stops and joins the thread; leaves the port plugged in
    LineFaults(const LineFaults&) = delete;
    LineFaults& operator=(const LineFaults&) = delete;

    void stop();
    std::string summary() const;

private:
    void run();
    void injectOne();
    gimbalsim::Fault replyFault(Kind kind);
    void count(Kind kind);

    gimbalsim::Simulator& simulator_;
    std::mt19937 random_;
    mutable std::mutex mutex_;
    std::condition_variable stopRequested_;
    bool stopping_ = false;
    std::array<uint64_t, kKinds> injected_{};
    std::thread thread_;
};

}  // namespace soak
