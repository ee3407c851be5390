// The gimbal behind one port, through the Cradle library: open with a clear reason when it fails,
// and each read or write with its library result turned into an exit class and a message.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Cradle.h"

namespace cradlectl {

struct Status {
    int exit = 0;            // ExitCode
    std::string message;     // empty on success
    bool ok() const { return exit == 0; }
};

struct UnitVersion {
    uint8_t id = 0, hardware = 0, major = 0, minor = 0;
    std::string name() const;
    std::string version() const;
};

// Unit names as the version report and the firmware page show them: IFB, MX, MY, MZ, else UNKNOWN:n.
std::string unitName(uint8_t id);
// A unit given by name (IFB, MX, MY, MZ) or number 0-255; false when it is neither.
bool parseUnit(const std::string& text, uint8_t& id);

// The parameters a backup holds, numbered from 0.
constexpr int kParameterCount = 21;
using Parameters = std::array<uint16_t, kParameterCount>;
using ConfigRecord = std::array<uint8_t, CRADLE_CONFIG_RECORD_SIZE>;

// What a library result means to a technician, with the operation named in the message.
Status fromCradleResult(int result, const std::string& operation);

// The version report: at most the 31 entries the record has room for.
std::vector<UnitVersion> decodeVersionReport(const uint8_t* record, size_t size);

class Gimbal {
public:
    Gimbal() = default;
    ~Gimbal();
    Gimbal(const Gimbal&) = delete;
    Gimbal& operator=(const Gimbal&) = delete;

    // Opens the port at the gimbal's line settings; a name without '/' is looked up under /dev.
    Status open(const std::string& port);
    const std::string& port() const { return port_; }

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

}  // namespace cradlectl
