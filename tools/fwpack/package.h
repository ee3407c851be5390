// The firmware package file: a big-endian 16-byte header, then per unit a 16-byte entry header and its image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "firmware_package_format.h"

namespace fwpack {

using firmware_package::kEntryHeaderBytes;
using firmware_package::kEntryLengthOffset;
using firmware_package::kHeaderBytes;
using firmware_package::kMagic;
using firmware_package::kMarkerAfterCount;
using firmware_package::kMarkerBeforeCount0;
using firmware_package::kMarkerBeforeCount1;
using firmware_package::kMaxEntries;
using firmware_package::kMaxImageBytes;
constexpr uint64_t kAllCameraModules = ~uint64_t(0);

struct Entry {
    uint8_t unit = 0;
    uint8_t major = 0, minor = 0;
    std::vector<uint8_t> image;
};

std::vector<uint8_t> fileHeader(uint64_t compatibilityMask, size_t entryCount);
std::vector<uint8_t> entryHeader(const Entry& entry);

// Writes the package to `path` through a temporary file, so a refused or failed run leaves no half file.
// Returns an empty string on success, else the reason.
std::string writePackage(const std::string& path, uint64_t compatibilityMask, const std::vector<Entry>& entries);

// Reads an image file whole, refusing what a package entry cannot hold. Empty string on success.
std::string readImage(const std::string& path, std::vector<uint8_t>& image);

}  // namespace fwpack
