// What cradlectl and the desktop program share about a gimbal's units and settings (no Qt, no port):
// results with a message, unit versions, and the parameter and configuration values a backup holds.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Cradle.h"

namespace procedures {

struct Status {
    int exit = 0;            // ExitCode
    std::string message;     // empty on success
    int libraryResult = 0;   // the library call's result where one failed, else 0
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

// The version report: at most the 31 entries the record has room for.
std::vector<UnitVersion> decodeVersionReport(const uint8_t* record, size_t size);

}  // namespace procedures
