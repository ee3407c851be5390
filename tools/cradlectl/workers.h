// One worker process per port: the library serves one port per process, so a command over several ports
// runs this program again for each. A worker gets the same command line and its port in the environment
// (kWorkerPortVariable), ignores every -p it was given and prints JSON lines, so no spelling of the options
// can hand a worker more than one port or make it start workers of its own.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "report.h"

namespace cradlectl {

class ProgressView;

constexpr const char* kWorkerPortVariable = "CRADLECTL_WORKER_PORT";

struct Worker {
    Worker(std::string portName, std::vector<std::string> arguments) : port(std::move(portName)), args(std::move(arguments)) {}
    std::string port;
    std::vector<std::string> args;   // after the program name
    std::string pending;             // a line not yet complete
    nlohmann::ordered_json result;   // the result object, once the worker has printed it
    int exitCode = -1;
    std::string ending;              // how it ended when not by exiting (a signal), or why it never ran
};

// Runs the workers at once in process groups of their own. Each complete JSON line goes to onLine as it
// comes; onEnd is called when a worker has ended and been reaped. An interrupt (SIGINT/SIGTERM) of this
// process is passed on to every worker once, and the output is read until every worker has ended.
void runWorkers(std::vector<Worker>& workers, const std::function<void(Worker&, const nlohmann::ordered_json&)>& onLine,
                const std::function<void(Worker&)>& onEnd = {});

// A command over several ports: one worker per port, each port's result printed as it finishes (a JSON
// result line, or "port: outcome" text), its progress events passed on to onEvent (JSON mode prints them
// as they are), and finally the combined result. Returns the combined exit code (130 when interrupted).
int runOnEveryPort(const Context& ctx, const std::string& command, ProgressView* view = nullptr,
                   const std::function<void(size_t port, const nlohmann::ordered_json& event)>& onEvent = {});

// The ports named twice (the same device, however spelled): a usage error.
std::vector<std::string> repeatedPorts(const std::vector<std::string>& ports);

}  // namespace cradlectl
