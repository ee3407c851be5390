// Receive ring between the reader and the parser. Plain data: the owner supplies the locking.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace cradle {

class ReceiveRing {
public:
    static constexpr size_t kStorage = 1024;
    static constexpr size_t kCapacity = kStorage - 1;  // one slot tells full from empty

    void clear();
    // Stores one byte; on a full ring the oldest byte is dropped.
    void push(uint8_t byte);
    size_t available() const;
    size_t freeSpace() const { return kCapacity - available(); }
    // Copies and consumes n bytes if all are there; otherwise consumes nothing.
    bool read(uint8_t* destination, size_t n);
    // Consumes up to n bytes unread; gives how many.
    size_t discard(size_t n);
    // Skips bytes until the two at the read position are the frame header.
    bool synchronise();
    // Remembers where the frame being parsed began, so an incomplete one can be retried whole.
    void markFrameStart() { start_ = read_; }
    void rewindToFrameStart() { read_ = start_; }
    uint64_t droppedByOverflow() const { return overflowDrops_; }
    uint64_t skippedAsNoise() const { return noiseBytes_; }

private:
    uint8_t at(size_t offset) const { return data_[(read_ + offset) % kStorage]; }

    std::array<uint8_t, kStorage> data_{};
    size_t write_ = 0;
    size_t read_ = 0;
    size_t start_ = 0;
    uint64_t overflowDrops_ = 0;
    uint64_t noiseBytes_ = 0;
};

}  // namespace cradle
