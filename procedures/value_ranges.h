// What a gimbal can hold in each of its parameters 0-20 (parameters 0-4 the product configuration,
// 5-20 the receiver channels). Checked before anything is written, so a value the gimbal cannot hold
// never reaches it; the desktop program's lists read the same codes.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "units.h"

namespace procedures {

enum ParameterNumber {
    kCameraModuleParameter = 0,
    kControlInputParameter = 1,   // 1 S-BUS, 2 PPM, 3 TTL, 4 CAN
    kMountingParameter = 2,       // 1 mounted below, 2 inverted
    kModeParameter = 3,           // 1 follows the mode switch, 2 heading lock, 3 heading follow
    kPaletteParameter = 4,        // thermal palette code
    kFirstChannelMapping = 5,     // 5 + function: receiver channel index
    kFirstChannelDirection = 13,  // 13 + function: 1 normal, 2 reversed
};
constexpr int kChannelFunctions = 8;
constexpr int kReceiverChannels = 20;
constexpr int kDirectionNormal = 1;
constexpr int kDirectionReversed = 2;

// Camera module codes a gimbal can carry; 0 means "not read yet" and 8 is not used.
constexpr int kCameraModuleCodes[] = {1, 2, 3, 4, 5, 6, 7, 9};
// Palette codes: iron red, white hot, black hot, in the order the pages list them.
constexpr int kPaletteCodes[] = {0, 8, 10};

bool isCameraModuleCode(long long code);

// The values one parameter can hold: a range low..high, or exactly the listed codes.
struct ParameterRange {
    const char* what;
    long long low = 0, high = 0;
    std::span<const int> codes;   // empty: every value of low..high
    bool holds(long long value) const;
    std::string describe() const;  // "1-4" or "0, 8 or 10"
};

// The range of parameter `number`; false when no gimbal has that parameter.
bool parameterRange(int number, ParameterRange& range);

// Empty when the gimbal can hold `value` in parameter `number`; else why not, naming both.
std::string parameterProblem(int number, long long value);
// Every parameter of a full set that no gimbal can hold, one phrase each.
std::vector<std::string> parameterProblems(const Parameters& parameters);

}  // namespace procedures
