// Command line of fwpack.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fwpack {

constexpr size_t kDefaultDemoImageBytes = 4096;
constexpr int kExitRefused = 1;
constexpr int kExitBadOptions = 2;

// One UNIT:MAJOR.MINOR:IMAGE argument (with --demo, UNIT:MAJOR.MINOR[:SIZE]).
struct EntryArgument {
    uint8_t unit = 0, major = 0, minor = 0;
    std::string imagePath;                        // normal mode
    size_t demoBytes = kDefaultDemoImageBytes;    // demo mode
};

struct Arguments {
    std::string output;
    uint64_t mask = ~uint64_t(0);
    bool demo = false;
    bool help = false;
    std::vector<EntryArgument> entries;
};

struct ParsedArguments {
    std::optional<Arguments> arguments;
    std::string error;
};
ParsedArguments parseArguments(const std::vector<std::string>& args);
std::string usage();

}  // namespace fwpack
