// Reads a firmware package without Qt: the same big-endian layout, checks and unit matching as the
// desktop program's reader, with the format's constants taken from the package builder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gimbal.h"

namespace cradlectl {

struct PackageEntry {
    uint8_t unit = 0, major = 0, minor = 0;
    uint64_t imageStart = 0;
    uint32_t length = 0;
    std::string version() const { return std::to_string(major) + "." + std::to_string(minor); }
};

struct FirmwarePackage {
    uint64_t compatibilityMask = 0;
    std::vector<PackageEntry> entries;
};

// Refuses (kExitBadFile) a file that is not a package, has wrong markers, or whose entries are cut short,
// empty, or larger than one transfer can carry: nothing of such a file is ever written to a gimbal.
Status readFirmwarePackage(const std::string& path, FirmwarePackage& package);
// The package fits a gimbal whose camera module code (parameter 0) has its bit, code 1 being bit 0.
bool fitsCameraModule(uint64_t compatibilityMask, int cameraModuleCode);
Status readImage(const std::string& path, const PackageEntry& entry, std::vector<uint8_t>& image);

}  // namespace cradlectl
