#include "package.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "files.h"

namespace fwpack {
namespace {

void putBig(std::vector<uint8_t>& out, uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(uint8_t(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> fileHeader(uint64_t compatibilityMask, size_t entryCount) {
    std::vector<uint8_t> header;
    putBig(header, kMagic, 4);
    header.push_back(kMarkerBeforeCount0);
    header.push_back(kMarkerBeforeCount1);
    header.push_back(uint8_t(entryCount));
    header.push_back(kMarkerAfterCount);
    putBig(header, compatibilityMask, 8);
    return header;
}

std::vector<uint8_t> entryHeader(const Entry& entry) {
    std::vector<uint8_t> header(kEntryLengthOffset, 0);  // bytes 3..11 carry nothing
    header[0] = entry.unit;
    header[1] = entry.major;
    header[2] = entry.minor;
    putBig(header, entry.image.size(), 4);
    return header;
}

std::string writePackage(const std::string& path, uint64_t compatibilityMask, const std::vector<Entry>& entries) {
    if (entries.size() > kMaxEntries)
        return "a package holds at most " + std::to_string(kMaxEntries) + " entries, not " + std::to_string(entries.size());
    for (const Entry& e : entries)
        if (e.image.size() > kMaxImageBytes)
            return "an image of " + std::to_string(e.image.size()) + " bytes is more than the gimbal takes (at most " +
                   std::to_string(kMaxImageBytes) + ")";

    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return "cannot write " + temporary + ": " + std::strerror(errno);
        auto put = [&](const std::vector<uint8_t>& bytes) { out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size())); };
        put(fileHeader(compatibilityMask, entries.size()));
        for (const Entry& e : entries) {
            put(entryHeader(e));
            put(e.image);
        }
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return "writing " + temporary + " failed";
        }
    }
    if (!cradle::platform::replaceFile(temporary.c_str(), path.c_str())) {
        const std::string reason = std::strerror(errno);
        std::remove(temporary.c_str());
        return "cannot create " + path + ": " + reason;
    }
    return {};
}

std::string readImage(const std::string& path, std::vector<uint8_t>& image) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error) return "cannot read image " + path + ": " + error.message();
    if (!std::filesystem::is_regular_file(status)) return "image " + path + " is not a regular file";
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return "cannot read image " + path + ": " + error.message();
    // Checked before reading: the program would skip a larger entry, and the gimbal could not take it.
    if (size > kMaxImageBytes)
        return "image " + path + " is " + std::to_string(size) + " bytes; the gimbal takes at most " + std::to_string(kMaxImageBytes);
    if (size == 0) return "image " + path + " is empty; the gimbal cannot take an empty image";
    std::ifstream in(path, std::ios::binary);
    if (!in) return "cannot read image " + path + ": " + std::strerror(errno);
    image.resize(size_t(size));
    in.read(reinterpret_cast<char*>(image.data()), std::streamsize(image.size()));
    if (in.gcount() != std::streamsize(image.size())) return "image " + path + " changed while it was read";
    return {};
}

}  // namespace fwpack
