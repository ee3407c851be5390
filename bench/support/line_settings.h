// The line settings the configuration tool opens the gimbal's port with.
#pragma once

#include <string>

#include "Cradle.h"

namespace bench {

inline bool openPort(const std::string& path) {
    return CSerialOpenPort(path.c_str(), CRADLE_LINE_BAUD, CRADLE_LINE_PARITY, CRADLE_LINE_DATA_BITS,
                           CRADLE_LINE_STOP_BITS) == 1;
}

}  // namespace bench
