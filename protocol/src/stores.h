// Reply stores: the parser files replies here, the exports wait for and take them.
// Every store is published under its own mutex, so a taker never sees a half-filed reply,
// and every filing wakes the waiters at once.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

#include "Cradle.h"
#include "frame.h"
#include "parser.h"
#include "telemetry_history.h"

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
    // Waits until a reply is filed, the deadline passes or lineUp turns false (the port was closed
    // or lost: no reply can come any more).
    std::optional<T> takeUntil(Clock::time_point deadline, const std::atomic<bool>& lineUp) {
        std::unique_lock lock(mutex_);
        filed_.wait_until(lock, deadline, [&] { return ready_ || !lineUp; });
        return takeLocked();
    }
    // Called after lineUp turned false; taking the mutex first means no waiter misses it.
    void wakeWaiters() {
        { std::lock_guard lock(mutex_); }
        filed_.notify_all();
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
    // The entry of a sub-command below 40; unit bits other than 4 and 8 select the first unit.
    ReplySlot<ControlRecord>& entry(uint8_t unitBit, uint8_t subCommand);
    void wakeWaiters();

private:
    static size_t unitIndex(uint8_t unitBit);
    std::array<std::array<ReplySlot<ControlRecord>, kUnits>, kControlSubCommands> entries_;
};

// The mechanism reply keeps its last mapped result across replies with an unknown status.
class MechanismStore {
public:
    void file(uint8_t status);
    ReplySlot<int> reply;  // the result code mapped from the status

private:
    int result_ = CRADLE_OK;  // written by the parser only
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
    std::array<uint16_t, kParamPageSize> values{};
};

class ReplyStores final : public ReplySink {
public:
    ReplySlot<VersionPayload> version;
    ReplySlot<uint8_t> firmRequest;
    ReplySlot<uint8_t> firmBlock;
    ControlReplyTable control;
    MechanismStore mechanism;
    TelemetryRecord<CRADLE_TELEMETRY_A_SIZE> telemetryA;
    TelemetryRecord<CRADLE_TELEMETRY_B_SIZE> telemetryB;
    TelemetryHistory<CRADLE_TELEMETRY_A_SIZE> historyA;
    TelemetryHistory<CRADLE_TELEMETRY_B_SIZE> historyB;
    ReplySlot<uint8_t> paramWrite;
    ReplySlot<ParamReadReply> paramRead;

    // Ends every reply wait at once; the caller has just turned their lineUp flag false.
    void wakeWaiters();

    void onVersion(const uint8_t* payload, size_t length) override;
    void onFirmRequestStatus(uint8_t status) override { firmRequest.file(status); }
    void onFirmBlockStatus(uint8_t status) override { firmBlock.file(status); }
    void onControlReply(uint8_t subCommand, uint8_t unitBit, const uint8_t* record) override {
        control.file(subCommand, unitBit, record);
    }
    void onMechanismStatus(uint8_t status) override { mechanism.file(status); }
    void onTelemetryA(const uint8_t* record) override {
        telemetryA.file(record);
        historyA.file(record, telemetryClockUs());
    }
    void onTelemetryB(const uint8_t* record) override {
        telemetryB.file(record);
        historyB.file(record, telemetryClockUs());
    }
    void onParamWriteStatus(uint8_t status) override { paramWrite.file(status); }
    void onParamRead(uint8_t status, const uint16_t* values, size_t count) override;
};

// Status of a control or mechanism reply as a result code: 1 -> 7, 0xF0 -> 8, 0xFF -> 9, else 11.
CradleResult mapControlStatus(uint8_t status);

}  // namespace cradle
