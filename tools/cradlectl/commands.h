// The cradlectl commands. Each returns its exit code; output goes through the Context.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "configuration.h"
#include "gimbal.h"

namespace cradlectl {

struct Context {
    bool json = false;                 // machine-readable output: JSON lines on stdout
    bool terminal = false;             // stdout is a terminal: progress bars
    std::vector<std::string> ports;
    std::vector<std::string> args;     // the command line after the program name, for workers
    procedures::BackupPolicy backup;   // automatic backups before a restore or a flash
};

// Prints a command's outcome: the text (human) or the data with exit code and error (JSON), the error on
// stderr. Returns status.exit.
int report(const Context& ctx, nlohmann::ordered_json data, const Status& status, const std::string& text);

int cmdPorts(const Context& ctx);
int cmdInfo(const Context& ctx);
int cmdParamsGet(const Context& ctx, const std::vector<int>& numbers);
int cmdParamsSet(const Context& ctx, const std::vector<std::string>& assignments);
int cmdConfigGet(const Context& ctx);
int cmdConfigSet(const Context& ctx, const std::string& file);
int cmdBackup(const Context& ctx, const std::string& file);
int cmdRestore(const Context& ctx, const std::string& file, bool force, bool dryRun);
int cmdFlash(const Context& ctx, const std::string& package, const std::vector<std::string>& units);
int cmdCalibrate(const Context& ctx, const std::string& type);
int cmdStartStop(const Context& ctx, bool start);
int cmdMonitor(const Context& ctx, const std::string& format, double rateHz, long long count);
int cmdDiff(const Context& ctx, const std::string& a, const std::string& b);

// One difference as diff and a restore's plan print it ("parameter 07: 2 -> 5") and as JSON.
std::string differenceText(const procedures::Difference& d);
nlohmann::ordered_json differenceJson(const procedures::Difference& d);

}  // namespace cradlectl
