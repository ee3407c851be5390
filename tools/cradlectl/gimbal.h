// The gimbal behind one port, through the Cradle library: open with a clear reason when it fails,
// and each read or write with its library result turned into an exit class and a message.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Cradle.h"
#include "backup.h"
#include "units.h"

namespace cradlectl {

// The gimbal's procedures are the engine's; cradlectl only opens ports, calls them and prints.
using namespace procedures;

// What a library result means to a technician, with the operation named in the message.
Status fromCradleResult(int result, const std::string& operation);

class Gimbal {
public:
    Gimbal() = default;
    ~Gimbal();
    Gimbal(const Gimbal&) = delete;
    Gimbal& operator=(const Gimbal&) = delete;

    // Opens the port at the gimbal's line settings; a name without '/' is looked up under /dev.
    Status open(const std::string& port);
    const std::string& port() const { return port_; }
    // Whether the port's device is still there: a pulled adapter takes it away at once, before the
    // library's watchdog has looked.
    bool portPresent() const;

    Status versions(std::vector<UnitVersion>& units);
    // Any parameter numbers; sent in records of at most CRADLE_PARAM_MAX_COUNT.
    Status readParameters(const std::vector<uint8_t>& numbers, std::vector<uint16_t>& values);
    Status writeParameters(const std::vector<uint8_t>& numbers, const std::vector<uint16_t>& values);
    Status readAllParameters(Parameters& values);
    Status writeAllParameters(const Parameters& values);
    Status readConfig(ConfigRecord& record);
    // Writes the record and has the units save it.
    Status writeConfig(const ConfigRecord& record);

private:
    std::string port_;
    bool open_ = false;
};

// Reads versions, parameters and configuration from the gimbal.
Status readBackup(Gimbal& gimbal, Backup& backup);

}  // namespace cradlectl
