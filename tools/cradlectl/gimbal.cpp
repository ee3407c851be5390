#include "gimbal.h"

#include <algorithm>

#include "backup.h"
#include "exit_codes.h"
#include "platform.h"
#include "port_holder.h"

namespace cradlectl {

Gimbal::~Gimbal() {
    if (open_) CSerialClosePort();
}

bool Gimbal::portPresent() const { return platform::portPresent(port_); }

Status Gimbal::open(const std::string& port) {
    port_ = port;
    if (Status s = platform::checkPort(port); !s.ok()) return s;
    if (CSerialOpenPort(port.c_str(), CRADLE_LINE_BAUD, CRADLE_LINE_PARITY, CRADLE_LINE_DATA_BITS, CRADLE_LINE_STOP_BITS) == 1) {
        open_ = true;
        return {};
    }
    const int error = GetSerialLastError();
    CSerialClosePort();
    switch (error) {
    case CRADLE_SERIAL_IN_USE: return {kExitFailure, port + ": the port is in use"};
    case CRADLE_SERIAL_HELD_ELSEWHERE:
        if (const auto holder = procedures::findPortHolder(platform::devicePath(port)))
            return {kExitFailure, port + ": in use by " + holder->name + " (pid " + std::to_string(holder->pid) + ")"};
        return {kExitFailure, port + ": in use by another program"};
    case CRADLE_SERIAL_SETTINGS_FAILED: return {kExitFailure, port + ": the line settings were refused (not a serial port?)"};
    default:
        if (platform::heldByAnother(port)) return {kExitFailure, port + ": the port is in use"};
        return {kExitFailure, port + ": the port could not be opened"};
    }
}

}  // namespace cradlectl
