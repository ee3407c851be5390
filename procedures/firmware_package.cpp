#include "firmware_package.h"

#include <fstream>

#include "sha256.h"

namespace procedures {
namespace {

using namespace firmware_package;
constexpr int kMaskBits = 64;
constexpr size_t kHashChunk = 64 * 1024;

uint64_t bigEndian(const uint8_t* bytes, int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | bytes[i];
    return value;
}

// Hashes the whole file; empty when a read fails.
std::string hashFile(std::ifstream& in) {
    in.clear();
    in.seekg(0);
    Sha256 hash;
    std::vector<char> chunk(kHashChunk);
    while (in) {
        in.read(chunk.data(), std::streamsize(chunk.size()));
        hash.add(reinterpret_cast<const uint8_t*>(chunk.data()), size_t(in.gcount()));
    }
    return in.eof() ? hash.hex() : std::string();
}

}  // namespace

bool fitsCameraModule(uint64_t compatibilityMask, int cameraModuleCode) {
    if (cameraModuleCode < 1 || cameraModuleCode > kMaskBits) return false;
    return (compatibilityMask >> (cameraModuleCode - 1)) & 1U;
}

FirmwarePackage readFirmwarePackage(const std::string& path) {
    FirmwarePackage package;
    std::ifstream in(path, std::ios::binary);
    if (!in) return package;
    in.seekg(0, std::ios::end);
    package.fileBytes = uint64_t(in.tellg());
    in.seekg(0);

    uint8_t header[kHeaderBytes] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    const size_t got = size_t(in.gcount());
    if (got < 4 || bigEndian(header, 4) != kMagic) return package;
    package.sha256 = hashFile(in);
    if (got != sizeof header || header[4] != kMarkerBeforeCount0 || header[5] != kMarkerBeforeCount1 || header[7] != kMarkerAfterCount) {
        package.verdict = FirmwarePackage::Verdict::BadHeader;
        return package;
    }
    package.verdict = FirmwarePackage::Verdict::Read;
    package.compatibilityMask = bigEndian(header + 8, 8);

    const int count = header[6];
    uint64_t position = kHeaderBytes;
    for (int i = 0; i < count; ++i) {
        PackageEntry entry;
        in.clear();
        in.seekg(std::streamoff(position));
        in.read(reinterpret_cast<char*>(entry.header.data()), std::streamsize(entry.header.size()));
        entry.unit = entry.header[0];
        entry.major = entry.header[1];
        entry.minor = entry.header[2];
        entry.length = uint32_t(bigEndian(entry.header.data() + kEntryLengthOffset, 4));
        entry.imageStart = position + kEntryHeaderBytes;
        if (size_t(in.gcount()) != entry.header.size()) {
            // Nothing after a cut header can be located; the missing bytes read as zero.
            entry.problem = PackageEntry::Problem::HeaderCut;
            package.entries.push_back(entry);
            break;
        }
        if (entry.length > kMaxImageBytes) entry.problem = PackageEntry::Problem::TooLarge;
        else if (package.fileBytes - entry.imageStart < entry.length) entry.problem = PackageEntry::Problem::PastEnd;
        package.entries.push_back(entry);
        position = entry.imageStart + entry.length;
    }
    return package;
}

std::string packageRefusal(const std::string& path, const FirmwarePackage& package) {
    switch (package.verdict) {
    case FirmwarePackage::Verdict::NotAPackage: return path + ": not a firmware package (or not readable)";
    case FirmwarePackage::Verdict::BadHeader: return path + ": a firmware package of an unknown layout (wrong marker bytes)";
    case FirmwarePackage::Verdict::Read: break;
    }
    for (size_t i = 0; i < package.entries.size(); ++i) {
        const PackageEntry& e = package.entries[i];
        const std::string which = ": the image for " + unitName(e.unit);
        switch (e.problem) {
        case PackageEntry::Problem::HeaderCut:
            return path + ": the package ends inside entry " + std::to_string(i + 1);
        case PackageEntry::Problem::TooLarge: return path + which + " is larger than one transfer can carry";
        case PackageEntry::Problem::PastEnd: return path + which + " reaches past the end of the file";
        case PackageEntry::Problem::None:
            if (e.length == 0) return path + which + " is empty";
            break;
        }
    }
    return {};
}

bool readImage(const std::string& path, uint64_t imageStart, uint32_t length, std::vector<uint8_t>& image) {
    image.clear();
    if (length > kMaxImageBytes) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const uint64_t fileBytes = uint64_t(in.tellg());
    if (imageStart > fileBytes || fileBytes - imageStart < length) return false;
    image.resize(length);
    in.seekg(std::streamoff(imageStart));
    in.read(reinterpret_cast<char*>(image.data()), std::streamsize(image.size()));
    return size_t(in.gcount()) == image.size();
}

}  // namespace procedures
