// Issues every export of the library in rounds, the way the configuration tool's worker does, each
// call timed by the hang watch and counted by result.
#pragma once

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "hang_watch.h"
#include "process_health.h"
#include "result_tally.h"

namespace soak {

class ExportDriver {
public:
    ExportDriver(std::string portPath, std::string logPath, HangWatch& watch, ProcessHealth& health, uint32_t seed);

    bool connect();
    // One round of exports; returns early once the deadline has passed.
    void round(std::chrono::steady_clock::time_point deadline);
    // How long the port has refused to open again, counted from the first failed attempt.
    std::chrono::steady_clock::duration closedFor() const;
    void disconnect();
    uint64_t rounds() const { return rounds_; }
    const ResultTally& tally() const { return tally_; }

private:
    template <typename Call>
    int call(const ExportSpec& exportInfo, Call&& exportCall);
    bool open(bool withLog);
    void reconnect();
    void lastErrorAndLog();
    void version();
    void parameters();
    void configuration();
    void control();
    void telemetry();
    void firmware();
    void refusedArguments();

    std::string portPath_, logPath_;
    HangWatch& watch_;
    ProcessHealth& health_;
    std::mt19937 random_;
    ResultTally tally_;
    bool open_ = false;
    std::chrono::steady_clock::time_point firstFailedOpen_{};
    bool withLog_ = false;
    uint64_t rounds_ = 0;
};

}  // namespace soak
