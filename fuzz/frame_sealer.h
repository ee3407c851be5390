// Structure-aware mutation: after bytes were mutated, every frame head in the input gets a valid
// head CRC and, where its extension fits, a valid extension CRC. Without this nearly every mutated
// head fails its CRC and the parser never reaches the length and count checks behind it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame.h"

namespace cradle::fuzzing {

// Extension length a reply head announces, as the parser reads it (0: none).
inline size_t announcedExtension(const uint8_t* head) {
    switch (head[kCommandOffset]) {
    case command::kVersion: return getLe16(head + kBodyOffset);
    case command::kParamRead: {
        const uint8_t count = head[kBodyOffset];
        return count == status::kRefusedFD || count == status::kRefusedFE ? 0 : 2u * count;
    }
    default: return 0;
    }
}

inline void sealFrames(uint8_t* data, size_t size) {
    size_t at = 0;
    while (at + kFrameSize <= size) {
        if (data[at] != kSyncFirst || data[at + 1] != kSyncSecond) {
            ++at;
            continue;
        }
        uint8_t* head = data + at;
        putLe16(head + kHeadCrcOffset, crc16(head, kHeadCrcOffset));
        at += kFrameSize;
        const size_t extension = announcedExtension(head);
        if (extension > 0 && at + extension + kExtensionCrcSize <= size) {
            putLe16(data + at + extension, crc16(data + at, extension));
            at += extension + kExtensionCrcSize;
        }
    }
}

}  // namespace cradle::fuzzing
