// What every command prints: its result (text, or one JSON object) and its progress events, in the one
// JSON schema that docs/cradlectl-json.md describes. Commands build their data; the fields every line
// carries (schema, command, port, time, exit code and class) are added here, once.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "configuration.h"
#include "units.h"

namespace cradlectl {

// Raised when a field's name or meaning changes; adding a field keeps it.
constexpr int kJsonSchemaVersion = 1;

struct Context {
    bool json = false;                 // machine-readable output: JSON lines on stdout
    bool terminal = false;             // stdout is a terminal: progress bars
    bool worker = false;               // run by another cradlectl for one of its ports (see workers.h)
    std::vector<std::string> ports;
    std::vector<std::string> args;     // the command line after the program name: what a worker is given
    procedures::BackupPolicy backup;   // automatic backups before a restore or a flash
};

// Prints a command's outcome: the text (human) or the data as the result object (JSON); the error also on
// stderr, except in a worker, whose parent prints it. Returns status.exit, or kExitFailure when the output
// could not be written.
int report(const Context& ctx, nlohmann::ordered_json data, const procedures::Status& status, const std::string& text);

// The result object for data and status: schema, command, port first, exitCode, exitClass, error last.
// `port` is data's own, else the one port of the context, else null.
nlohmann::ordered_json resultObject(const Context& ctx, const nlohmann::ordered_json& data, const procedures::Status& status);

// A progress event (JSON mode only): {"event": name, "port": ..., "time": ..., fields...}.
void emitEvent(const Context& ctx, const std::string& name, const nlohmann::ordered_json& fields = nlohmann::ordered_json::object());

// One JSON line, checked.
bool emitLine(const nlohmann::ordered_json& value);

// The exit code of several ports or units: 0 when all succeeded; 8 (partial success) when at least one
// succeeded (a partial success counts as one); otherwise the failures' class when they share one, else 1.
int combinedExitCode(const std::vector<int>& codes);

}  // namespace cradlectl
