#include "firmware_package.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "exit_codes.h"
#include "package.h"

namespace cradlectl {
using namespace procedures;
namespace {

constexpr size_t kLengthOffset = 12;
constexpr int kMaskBits = 64;

uint64_t bigEndian(const uint8_t* bytes, int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | bytes[i];
    return value;
}

}  // namespace

bool fitsCameraModule(uint64_t compatibilityMask, int cameraModuleCode) {
    if (cameraModuleCode < 1 || cameraModuleCode > kMaskBits) return false;
    return (compatibilityMask >> (cameraModuleCode - 1)) & 1U;
}

Status readFirmwarePackage(const std::string& path, FirmwarePackage& package) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {kExitBadFile, path + ": cannot be read: " + std::strerror(errno)};
    in.seekg(0, std::ios::end);
    const uint64_t fileSize = uint64_t(in.tellg());
    in.seekg(0);

    uint8_t header[fwpack::kHeaderBytes] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    if (size_t(in.gcount()) < 4 || bigEndian(header, 4) != fwpack::kMagic) return {kExitBadFile, path + ": not a firmware package"};
    if (size_t(in.gcount()) != sizeof header || header[4] != fwpack::kMarkerBeforeCount0 || header[5] != fwpack::kMarkerBeforeCount1
        || header[7] != fwpack::kMarkerAfterCount)
        return {kExitBadFile, path + ": a firmware package of an unknown layout (wrong marker bytes)"};

    FirmwarePackage result;
    result.compatibilityMask = bigEndian(header + 8, 8);
    const int count = header[6];
    uint64_t position = fwpack::kHeaderBytes;
    for (int i = 0; i < count; ++i) {
        uint8_t entryHeader[fwpack::kEntryHeaderBytes] = {};
        in.seekg(std::streamoff(position));
        in.read(reinterpret_cast<char*>(entryHeader), sizeof entryHeader);
        if (size_t(in.gcount()) != sizeof entryHeader)
            return {kExitBadFile, path + ": the package ends inside entry " + std::to_string(i + 1) + " of " + std::to_string(count)};
        PackageEntry entry;
        entry.unit = entryHeader[0];
        entry.major = entryHeader[1];
        entry.minor = entryHeader[2];
        entry.length = uint32_t(bigEndian(entryHeader + kLengthOffset, 4));
        entry.imageStart = position + fwpack::kEntryHeaderBytes;
        const std::string which = "the image for " + unitName(entry.unit);
        if (entry.length == 0) return {kExitBadFile, path + ": " + which + " is empty"};
        if (entry.length > fwpack::kMaxImageBytes) return {kExitBadFile, path + ": " + which + " is larger than one transfer can carry"};
        if (fileSize - entry.imageStart < entry.length) return {kExitBadFile, path + ": " + which + " reaches past the end of the file"};
        result.entries.push_back(entry);
        position = entry.imageStart + entry.length;
    }
    package = result;
    return {};
}

Status readImage(const std::string& path, const PackageEntry& entry, std::vector<uint8_t>& image) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {kExitFailure, path + ": cannot be read: " + std::strerror(errno)};
    image.resize(entry.length);
    in.seekg(std::streamoff(entry.imageStart));
    in.read(reinterpret_cast<char*>(image.data()), std::streamsize(image.size()));
    if (size_t(in.gcount()) != image.size()) return {kExitFailure, path + ": the package changed while it was read"};
    return {};
}

}  // namespace cradlectl
