// One worker process per port: the library serves one port per process, so commands over several
// ports run this program again for each, with --json, and gather what each prints.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace cradlectl {

struct Worker {
    Worker(std::string portName, std::vector<std::string> arguments) : port(std::move(portName)), args(std::move(arguments)) {}
    std::string port;
    std::vector<std::string> args;   // after the program name
    int pid = -1;
    int out = -1;
    std::string pending;             // a line not yet complete
    nlohmann::ordered_json last;             // the last JSON line: the command's result
    int exitCode = -1;
};

// Runs the workers at once; each complete JSON line of a worker's output goes to onLine as it comes.
// Returns when every worker has ended and been reaped.
void runWorkers(std::vector<Worker>& workers, const std::function<void(Worker&, const nlohmann::ordered_json&)>& onLine);

// The command line for one port: this invocation's arguments without its --port options, with --json.
std::vector<std::string> workerArguments(const std::vector<std::string>& args, const std::string& port);

}  // namespace cradlectl
