// Telemetry history: every telemetry frame as received, with its receive time and a running sequence,
// in a fixed ring per record kind. The parser files one frame at a time; any thread copies out.
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "Cradle.h"

namespace cradle {

struct HistoryCopy {
    size_t count = 0;
    uint64_t newest = 0;
    uint64_t lost = 0;
};

// The receive clock of the history: monotonic microseconds.
inline int64_t telemetryClockUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

template <size_t RecordSize>
class TelemetryHistory {
    static_assert(RecordSize <= CRADLE_TELEMETRY_SAMPLE_BYTES);

public:
    static constexpr uint64_t kCapacity = CRADLE_TELEMETRY_HISTORY_SIZE;

    // Sequence s lives in slot (s - 1) % kCapacity; filing overwrites the oldest once the ring is full.
    void file(const uint8_t* record, int64_t receivedUs) {
        std::lock_guard lock(mutex_);
        Slot& slot = slots_[newest_ % kCapacity];
        slot.receivedUs = receivedUs;
        std::memcpy(slot.bytes.data(), record, RecordSize);
        ++newest_;
    }

    // The newest record, as the latest-record exports give it; false before the first.
    bool copyNewest(uint8_t* out) {
        std::lock_guard lock(mutex_);
        if (newest_ == 0) return false;
        std::memcpy(out, slots_[(newest_ - 1) % kCapacity].bytes.data(), RecordSize);
        return true;
    }

    HistoryCopy copySince(uint64_t after, CradleTelemetrySample* out, size_t capacity) {
        std::lock_guard lock(mutex_);
        HistoryCopy copy;
        copy.newest = newest_;
        if (after >= newest_) return copy;
        const uint64_t oldestHeld = newest_ > kCapacity ? newest_ - kCapacity + 1 : 1;
        const uint64_t first = std::max(after + 1, oldestHeld);
        copy.lost = first - (after + 1);
        copy.count = size_t(std::min<uint64_t>(capacity, newest_ - first + 1));
        for (size_t i = 0; i < copy.count; ++i) {
            const uint64_t sequence = first + i;
            const Slot& slot = slots_[(sequence - 1) % kCapacity];
            CradleTelemetrySample& sample = out[i];
            sample.sequence = sequence;
            sample.receivedUs = slot.receivedUs;
            std::memcpy(sample.record, slot.bytes.data(), RecordSize);
            std::memset(sample.record + RecordSize, 0, sizeof sample.record - RecordSize);
        }
        return copy;
    }

private:
    struct Slot {
        int64_t receivedUs = 0;
        std::array<uint8_t, RecordSize> bytes{};
    };
    std::mutex mutex_;
    uint64_t newest_ = 0;  // sequence of the newest sample; 0 before the first
    std::array<Slot, kCapacity> slots_{};
};

}  // namespace cradle
