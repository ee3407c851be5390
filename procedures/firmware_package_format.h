// The firmware package file, as fwpack writes it and the program reads it: big-endian, a 16-byte
// header (magic, markers around the entry count, 64-bit compatibility mask), then per unit a
// 16-byte entry header (unit, major, minor, image length at byte 12) and the image.
#pragma once

#include <cstddef>
#include <cstdint>

namespace firmware_package {

inline constexpr uint32_t kMagic = 0x00ABCDEF;
inline constexpr uint8_t kMarkerBeforeCount0 = 0x00;
inline constexpr uint8_t kMarkerBeforeCount1 = 0x02;
inline constexpr uint8_t kMarkerAfterCount = 0x01;
inline constexpr size_t kHeaderBytes = 16;
inline constexpr size_t kEntryHeaderBytes = 16;
inline constexpr size_t kEntryLengthOffset = 12;
inline constexpr size_t kMaxEntries = 255;  // the count is one byte

// An image travels to its unit in one firmware transfer (WriteFirm), whose block number is 16-bit:
// the tool refuses a larger image, and the program skips an entry that claims one.
inline constexpr size_t kTransferBlockBytes = 256;
inline constexpr size_t kMaxTransferBlocks = 0xFFFF;
inline constexpr uint64_t kMaxImageBytes = kMaxTransferBlocks * kTransferBlockBytes;

}  // namespace firmware_package
