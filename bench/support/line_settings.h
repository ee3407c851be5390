// The line settings the configuration tool opens the gimbal's port with.
#pragma once

#include <string>

#include "Cradle.h"

namespace bench {

constexpr int kBaud = 115200;
constexpr int kNoParity = 'n';
constexpr int kDataBits = 8;
constexpr int kStopBits = 1;

inline bool openPort(const std::string& path) {
    return CSerialOpenPort(path.c_str(), kBaud, kNoParity, kDataBits, kStopBits) == 1;
}

}  // namespace bench
