// What the Windows layer builds for CreateProcess, visible to its test.
#pragma once

#include <string>
#include <vector>

namespace cradlectl::platform {

// One command line whose words the C runtime's argument parser gives back exactly as in args.
std::string commandLine(const std::vector<std::string>& args);

}  // namespace cradlectl::platform
