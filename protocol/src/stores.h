// Reply stores: the parser files replies here, the exports wait for and take them.
// Every store is published under its own mutex, so a taker never sees a half-filed reply,
// and every filing wakes the waiters at once.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

#include "frame.h"
#include "parser.h"

namespace cradle {

using Clock = std::chrono::steady_clock;

// One reply with a ready flag. Taking clears the flag, so each filing is seen once.
template <typename T>
class ReplySlot {
public:
    void clear() {
        std::lock_guard lock(mutex_);
        ready_ = false;
    }
    void file(const T& value) {
        {
            std::lock_guard lock(mutex_);
            value_ = value;
            ready_ = true;
        }
        filed_.notify_all();
    }
    std::optional<T> take() {
        std::lock_guard lock(mutex_);
        return takeLocked();
    }
    // Waits until a reply is filed or the deadline passes.
    std::optional<T> takeUntil(Clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        filed_.wait_until(lock, deadline, [this] { return ready_; });
        return takeLocked();
    }

private:
    std::optional<T> takeLocked() {
        if (!ready_) return std::nullopt;
        ready_ = false;
        return value_;
    }
    std::mutex mutex_;
    std::condition_variable filed_;
    bool ready_ = false;
    T value_{};
};

using ControlRecord = std::array<uint8_t, control::kReplyRecordSize>;

// Replies to control frames, one entry per sub-command and unit (bits 2, 4, 8).
class ControlReplyTable {
public:
    static constexpr size_t kUnits = 3;
    void clear(uint8_t subCommand, uint8_t unitBits);
    void file(uint8_t subCommand, uint8_t unitBit, const uint8_t* record);
    // The entry's record if one was filed since the last take, else nullopt.
    std::optional<ControlRecord> take(uint8_t unitBit, uint8_t subCommand);
    std::optional<ControlRecord> takeUntil(uint8_t unitBit, uint8_t subCommand, Clock::time_point deadline);

private:
    struct Entry {
        bool ready = false;
        ControlRecord record{};
    };
    static size_t unitIndex(uint8_t unitBit);
    Entry* entry(uint8_t subCommand, uint8_t unitBit);
    std::optional<ControlRecord> takeLocked(Entry* e);

    std::mutex mutex_;  // the control reply lock
    std::condition_variable filed_;
    std::array<std::array<Entry, kUnits>, kControlSubCommands> entries_{};
};

// The mechanism reply keeps its last mapped result across replies with an unknown status.
class MechanismStore {
public:
    void clear();
    void file(uint8_t status);
    std::optional<int> takeUntil(Clock::time_point deadline);

private:
    std::mutex mutex_;  // the mechanism reply lock
    std::condition_variable filed_;
    bool ready_ = false;
    int result_ = 0;
};

// Latest telemetry record; never cleared once received.
template <size_t N>
class TelemetryRecord {
public:
    void file(const uint8_t* record) {
        std::lock_guard lock(mutex_);
        for (size_t i = 0; i < N; ++i) record_[i] = record[i];
        ready_ = true;
    }
    bool copyTo(uint8_t* destination) {
        std::lock_guard lock(mutex_);
        if (!ready_) return false;
        for (size_t i = 0; i < N; ++i) destination[i] = record_[i];
        return true;
    }

private:
    std::mutex mutex_;
    bool ready_ = false;
    std::array<uint8_t, N> record_{};
};

struct VersionPayload {
    std::array<uint8_t, kVersionStoreSize> bytes{};
};

struct ParamReadReply {
    uint8_t status = 0;
    uint8_t count = 0;
    std::array<uint16_t, kParamReadMaxValues> values{};
};

class ReplyStores final : public ReplySink {
public:
    ReplySlot<VersionPayload> version;
    ReplySlot<uint8_t> firmRequest;
    ReplySlot<uint8_t> firmBlock;
    ControlReplyTable control;
    MechanismStore mechanism;
    TelemetryRecord<kTelemetryASize> telemetryA;
    TelemetryRecord<kTelemetryBSize> telemetryB;
    ReplySlot<uint8_t> paramWrite;
    ReplySlot<ParamReadReply> paramRead;

    void onVersion(const uint8_t* payload, size_t length) override;
    void onFirmRequestStatus(uint8_t status) override { firmRequest.file(status); }
    void onFirmBlockStatus(uint8_t status) override { firmBlock.file(status); }
    void onControlReply(uint8_t subCommand, uint8_t unitBit, const uint8_t* record) override {
        control.file(subCommand, unitBit, record);
    }
    void onMechanismStatus(uint8_t status) override { mechanism.file(status); }
    void onTelemetryA(const uint8_t* record) override { telemetryA.file(record); }
    void onTelemetryB(const uint8_t* record) override { telemetryB.file(record); }
    void onParamWriteStatus(uint8_t status) override { paramWrite.file(status); }
    void onParamRead(uint8_t status, const uint16_t* values, size_t count) override;
};

// Status of a control or mechanism reply as a result code: 1 -> 7, 0xF0 -> 8, 0xFF -> 9, else 11.
int mapControlStatus(uint8_t status);

namespace result {
constexpr int kDone = 0;
constexpr int kNotSent = 1;
constexpr int kNoReply = 2;
constexpr int kParamRefusedFD = 3;
constexpr int kNullArgument = 4;
constexpr int kFirmRefusedFE = 5;
constexpr int kFirmRefusedFF = 6;
constexpr int kStatusDone = 7;
constexpr int kStatusAccepted = 8;
constexpr int kStatusError = 9;
constexpr int kRefused = 10;
constexpr int kNoReplyYet = 11;
constexpr int kBlockRefusedFD = 12;
constexpr int kNotStarted = 14;
}  // namespace result

namespace status {
constexpr uint8_t kDone = 1;
constexpr uint8_t kAccepted = 0xF0;
constexpr uint8_t kError = 0xFF;
constexpr uint8_t kNothingYet = 0;
constexpr uint8_t kRefusedFD = 0xFD;
constexpr uint8_t kRefusedFE = 0xFE;
constexpr uint8_t kRefusedFF = 0xFF;
}  // namespace status

}  // namespace cradle
