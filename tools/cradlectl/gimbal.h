// The gimbal behind one port, through the Cradle library: open with a clear reason when it fails,
// and each read or write with its library result turned into an exit class and a message.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Cradle.h"
#include "CradleCalls.h"
#include "backup.h"
#include "gimbal_io.h"
#include "units.h"

namespace cradlectl {

// The gimbal's procedures are the engine's; cradlectl only opens ports, calls them and prints.
using namespace procedures;

// The library's exports: what the engine's procedures call in cradlectl.
inline const CradleCalls& calls() { return cradleExports(); }

// The port of one gimbal; what is read and written goes through the engine, messages name the port.
class Gimbal {
public:
    Gimbal() = default;
    ~Gimbal();
    Gimbal(const Gimbal&) = delete;
    Gimbal& operator=(const Gimbal&) = delete;

    // Opens the port at the gimbal's line settings; the name as this system writes it (platform.h).
    Status open(const std::string& port);
    const std::string& port() const { return port_; }
    // Whether the port's device is still there: a pulled adapter takes it away at once, before the
    // library's watchdog has looked.
    bool portPresent() const;

    Status versions(std::vector<UnitVersion>& units) { return named(readVersions(calls(), units)); }
    Status readParameters(const std::vector<uint8_t>& numbers, std::vector<uint16_t>& values) {
        return named(procedures::readParameters(calls(), {numbers.begin(), numbers.end()}, values));
    }
    Status readConfig(ConfigRecord& record) { return named(procedures::readConfig(calls(), record)); }
    // The engine's outcome with this port in front of its message.
    Status named(Status s) const {
        if (!s.ok()) s.message = port_ + ": " + s.message;
        return s;
    }

private:
    std::string port_;
    bool open_ = false;
};

// Reads versions, parameters and configuration from the gimbal.
inline Status readBackup(Gimbal& gimbal, Backup& backup) { return gimbal.named(procedures::readBackup(calls(), gimbal.port(), backup)); }

}  // namespace cradlectl
