// The firmware package reader, shared by the program and cradlectl: the header, every entry with its
// image's place in the file and what is wrong with it, and the file's SHA-256. Each face decides what an
// unfit entry means to it; nothing here reads an image whole except readImage.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "firmware_package_format.h"
#include "units.h"

namespace procedures {

struct PackageEntry {
    enum class Problem {
        None,
        HeaderCut,   // the file ends inside the entry header
        TooLarge,    // more than one firmware transfer carries
        PastEnd,     // the image reaches past the end of the file
    };
    uint8_t unit = 0, major = 0, minor = 0;
    std::array<uint8_t, firmware_package::kEntryHeaderBytes> header{};  // as in the file (big-endian length)
    uint64_t imageStart = 0;  // position of the first image byte in the file
    uint32_t length = 0;
    Problem problem = Problem::None;

    std::string version() const { return std::to_string(major) + "." + std::to_string(minor); }
    bool usable() const { return problem == Problem::None; }
};

struct FirmwarePackage {
    enum class Verdict {
        NotAPackage,  // unreadable, or the magic is missing
        BadHeader,    // wrong marker bytes, or the header is cut short
        Read
    };
    Verdict verdict = Verdict::NotAPackage;
    uint64_t compatibilityMask = 0;
    uint64_t fileBytes = 0;
    std::vector<PackageEntry> entries;  // in file order; reading stops after an entry whose header is cut
    std::string sha256;                 // of the whole file, when it could be read
};

// Reads the header and the entry headers of the package at path; images stay in the file.
FirmwarePackage readFirmwarePackage(const std::string& path);

// The package fits a gimbal whose camera module code (parameter 0) has its bit, code 1 being bit 0; 0
// (not read yet), negative codes and codes above 64 fit nothing.
bool fitsCameraModule(uint64_t compatibilityMask, int cameraModuleCode);

// Why a package cannot be flashed as a whole: not a package, bad header, or an entry that is empty or
// unfit. Empty when every entry can be written. The message starts with path.
std::string packageRefusal(const std::string& path, const FirmwarePackage& package);

// The image of one entry, read from the file; false when the file no longer holds it whole.
bool readImage(const std::string& path, uint64_t imageStart, uint32_t length, std::vector<uint8_t>& image);

}  // namespace procedures
