#include "value_ranges.h"

#include <algorithm>

namespace procedures {
namespace {

constexpr int kControlInputs = 4;
constexpr int kMountings = 2;
constexpr int kModes = 3;

}  // namespace

bool isCameraModuleCode(long long code) {
    return std::find(std::begin(kCameraModuleCodes), std::end(kCameraModuleCodes), code) != std::end(kCameraModuleCodes);
}

bool ParameterRange::holds(long long value) const {
    if (!codes.empty()) return std::find(codes.begin(), codes.end(), value) != codes.end();
    return value >= low && value <= high;
}

std::string ParameterRange::describe() const {
    if (codes.empty()) return std::to_string(low) + "-" + std::to_string(high);
    std::string text;
    for (size_t i = 0; i < codes.size(); ++i)
        text += (i == 0 ? "" : i + 1 == codes.size() ? " or " : ", ") + std::to_string(codes[i]);
    return text;
}

bool parameterRange(int number, ParameterRange& range) {
    if (number == kCameraModuleParameter) range = {"camera module", 0, 0, kCameraModuleCodes};
    else if (number == kControlInputParameter) range = {"control input", 1, kControlInputs, {}};
    else if (number == kMountingParameter) range = {"mounting", 1, kMountings, {}};
    else if (number == kModeParameter) range = {"mode", 1, kModes, {}};
    else if (number == kPaletteParameter) range = {"palette", 0, 0, kPaletteCodes};
    else if (number >= kFirstChannelMapping && number < kFirstChannelMapping + kChannelFunctions)
        range = {"channel mapping", 0, kReceiverChannels - 1, {}};
    else if (number >= kFirstChannelDirection && number < kFirstChannelDirection + kChannelFunctions)
        range = {"channel direction", kDirectionNormal, kDirectionReversed, {}};
    else return false;
    return true;
}

std::string parameterProblem(int number, long long value) {
    ParameterRange range;
    if (!parameterRange(number, range)) return "no gimbal has parameter " + std::to_string(number) + " (0-" + std::to_string(kParameterCount - 1) + ")";
    if (range.holds(value)) return {};
    return "parameter " + std::to_string(number) + " (" + range.what + ") cannot be " + std::to_string(value) + ": it takes " + range.describe();
}

std::vector<std::string> parameterProblems(const Parameters& parameters) {
    std::vector<std::string> problems;
    for (int n = 0; n < kParameterCount; ++n)
        if (std::string p = parameterProblem(n, parameters[size_t(n)]); !p.empty()) problems.push_back(p);
    return problems;
}

}  // namespace procedures
