// The cradlectl commands. Each returns its exit code; output goes through the Context.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "configuration.h"
#include "gimbal.h"
#include "report.h"

namespace cradlectl {

// Given several ports, main runs a command once per port in workers (workers.h); flash reads its package
// once first and then does the same.

// Every serial port of the system, or the ports named with -p.
int cmdPorts(const Context& ctx);
int cmdInfo(const Context& ctx);
int cmdParamsGet(const Context& ctx, const std::vector<int>& numbers);
int cmdParamsSet(const Context& ctx, const std::vector<std::string>& assignments);
int cmdConfigGet(const Context& ctx);
int cmdConfigSet(const Context& ctx, const std::string& file);
int cmdBackup(const Context& ctx, const std::string& file);
int cmdRestore(const Context& ctx, const std::string& file, bool force, bool dryRun);
struct FlashOptions {
    std::string package;
    std::vector<std::string> units;   // only these (names or numbers)
    bool all = false;                 // also units already at the package's version
    bool allowDowngrade = false;
    bool dryRun = false;              // print the plan, write nothing
    std::string sha256;               // refuse a package with another hash
};
int cmdFlash(const Context& ctx, const FlashOptions& options);
int cmdCalibrate(const Context& ctx, const std::string& type);
int cmdStartStop(const Context& ctx, bool start);
int cmdMonitor(const Context& ctx, const std::string& format, double rateHz, long long count);
int cmdDiff(const Context& ctx, const std::string& a, const std::string& b);

// One difference as diff and a restore's plan print it ("parameter 07: 2 -> 5") and as JSON.
std::string differenceText(const procedures::Difference& d);
nlohmann::ordered_json differenceJson(const procedures::Difference& d);

}  // namespace cradlectl
