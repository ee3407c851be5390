// Command line of the gimbal-sim program, parsed into simulator options and scripted faults.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gimbalsim/Simulator.h"

namespace gimbalsim::cli {

constexpr int kDefaultTelemetryHz = 20;
constexpr int kExitBadOptions = 2;

struct CommandFault {
    uint8_t command;
    Fault fault;
};
struct ControlFault {
    uint8_t subCommand;
    uint8_t unitBit;
    Fault fault;
};

struct Settings {
    Options options;
    std::vector<std::pair<int, uint16_t>> parameters;  // start values, applied in order
    std::vector<CommandFault> faults;
    std::vector<ControlFault> controlFaults;
    bool help = false;
};

// The parsed settings, or a one-line message naming the bad option.
struct ParseResult {
    std::optional<Settings> settings;
    std::string error;
};
ParseResult parse(const std::vector<std::string>& args);

std::string defaultLinkPath();  // $XDG_RUNTIME_DIR (or /tmp)/tiltmate-sim/ttyGIMBAL0
std::string usage();

}  // namespace gimbalsim::cli
