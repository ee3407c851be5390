// The version tag that demo firmware images carry, shared by the package builder that writes it
// and the simulator that reports it after a "reboot", so a demo upgrade visibly changes the versions.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace gimbalsim {

// Tag, then unit identifier, major, minor, and a check byte so random image bytes are not mistaken for it.
inline constexpr uint8_t kDemoTag[8] = {'T', 'M', 'D', 'E', 'M', 'O', 'F', 'W'};
inline constexpr size_t kDemoTagBytes = sizeof(kDemoTag);
inline constexpr size_t kDemoMarkerBytes = kDemoTagBytes + 4;
inline constexpr size_t kDemoMarkerOffset = 16;  // where generated images place it
inline constexpr uint8_t kDemoCheckSeed = 0x5A;

struct DemoVersion {
    uint8_t unit = 0, major = 0, minor = 0;
};

inline uint8_t demoCheckByte(uint8_t unit, uint8_t major, uint8_t minor) {
    return uint8_t(kDemoCheckSeed ^ unit ^ uint8_t(major << 1) ^ uint8_t(minor << 2));
}

// A demo image of `size` bytes (at least the marker and its offset) with deterministic filler.
inline std::vector<uint8_t> makeDemoImage(uint8_t unit, uint8_t major, uint8_t minor, size_t size) {
    size = std::max(size, kDemoMarkerOffset + kDemoMarkerBytes);
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < size; ++i) image[i] = uint8_t((i * 131u + unit * 17u + 7u) & 0xFF);
    uint8_t* marker = image.data() + kDemoMarkerOffset;
    std::copy(kDemoTag, kDemoTag + kDemoTagBytes, marker);
    marker[kDemoTagBytes] = unit;
    marker[kDemoTagBytes + 1] = major;
    marker[kDemoTagBytes + 2] = minor;
    marker[kDemoTagBytes + 3] = demoCheckByte(unit, major, minor);
    return image;
}

// The first well-formed marker anywhere in the image.
inline std::optional<DemoVersion> findDemoMarker(const std::vector<uint8_t>& image) {
    auto from = image.begin();
    for (;;) {
        auto at = std::search(from, image.end(), kDemoTag, kDemoTag + kDemoTagBytes);
        if (at == image.end() || size_t(image.end() - at) < kDemoMarkerBytes) return std::nullopt;
        const uint8_t* m = &*at + kDemoTagBytes;
        if (m[3] == demoCheckByte(m[0], m[1], m[2])) return DemoVersion{m[0], m[1], m[2]};
        from = at + 1;
    }
}

}  // namespace gimbalsim
