// Reply stores: the parser files replies here, the exports wait for and take them.
// Every store is published under its own mutex, so a taker never sees a half-filed reply,
// and every filing wakes the waiters at once.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <optional>

#include "Cradle.h"
#include "frame.h"
#include "parser.h"
#include "telemetry_history.h"

namespace cradle {

using Clock = std::chrono::steady_clock;

// What every reply store shares: the ready flag, the wake-up, and the replies still owed.
// A store owes a reply for each request sent that no reply has followed yet. Replies echo nothing
// of their request, so one owed by a request whose wait ended is let in and dropped before the
// next request goes out (settleOwed), instead of being taken as that request's answer.
class ReplyGate {
public:
    void clear() {
        std::lock_guard lock(mutex_);
        ready_ = false;
    }
    // Called just before a request is written: one more reply is owed, waited for at most until
    // owedUntil. Before the write, so a fast reply cannot be filed ahead of the count.
    void expectReply(Clock::time_point owedUntil) {
        std::lock_guard lock(mutex_);
        ++owed_;
        owedUntil_ = std::max(owedUntil_, owedUntil);
    }
    // The write failed: nothing went out, nothing is owed for it.
    void withdrawExpectation() {
        std::lock_guard lock(mutex_);
        if (owed_ > 0) --owed_;
    }
    // Before a new exchange: lets the replies still owed arrive (until their deadline, or the line
    // goes down), drops them and clears the flag. Returns at once when nothing is owed.
    void settleOwed(const std::atomic<bool>& lineUp) {
        std::unique_lock lock(mutex_);
        if (owed_ > 0) filed_.wait_until(lock, owedUntil_, [&] { return owed_ == 0 || !lineUp; });
        owed_ = 0;
        ready_ = false;
    }
    // A reply came but could not be used: it still answered, so it is owed no longer.
    void replyLost() {
        {
            std::lock_guard lock(mutex_);
            if (owed_ > 0) --owed_;
        }
        filed_.notify_all();
    }
    // Called after lineUp turned false: no owed reply can come any more, and every waiter wakes.
    void wakeWaiters() {
        {
            std::lock_guard lock(mutex_);
            owed_ = 0;
        }
        filed_.notify_all();
    }

protected:
    // Under mutex_: a filed reply is ready and pays off one owed reply.
    void markFiledLocked() {
        ready_ = true;
        if (owed_ > 0) --owed_;
    }
    std::mutex mutex_;
    std::condition_variable filed_;
    bool ready_ = false;

private:
    unsigned owed_ = 0;
    Clock::time_point owedUntil_{};
};

// One reply with a ready flag. Taking clears the flag, so each filing is seen once.
template <typename T>
class ReplySlot : public ReplyGate {
public:
    void file(const T& value) {
        {
            std::lock_guard lock(mutex_);
            value_ = value;
            markFiledLocked();
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

private:
    std::optional<T> takeLocked() {
        if (!ready_) return std::nullopt;
        ready_ = false;
        return value_;
    }
    T value_{};
};

using ControlRecord = std::array<uint8_t, control::kReplyRecordSize>;

// The stores that will file the replies to one request: one, or one per unit a control frame addresses.
class Gates {
public:
    static constexpr size_t kMost = 3;
    Gates() = default;
    Gates(std::initializer_list<ReplyGate*> gates) {
        for (ReplyGate* gate : gates) add(gate);
    }
    void add(ReplyGate* gate) {
        if (count_ < kMost) items_[count_++] = gate;
    }
    ReplyGate* const* begin() const { return items_.data(); }
    ReplyGate* const* end() const { return items_.data() + count_; }

private:
    std::array<ReplyGate*, kMost> items_{};
    size_t count_ = 0;
};

// Replies to control frames, one entry per sub-command and unit (bits 2, 4, 8).
class ControlReplyTable {
public:
    static constexpr size_t kUnits = 3;
    void clear(uint8_t subCommand, uint8_t unitBits);
    // The entries that answer a frame of this sub-command to these units (bits 2, 4, 8).
    Gates gates(uint8_t subCommand, uint8_t unitBits);
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
        historyA.file(record, telemetryClockUs());
    }
    void onTelemetryB(const uint8_t* record) override {
        historyB.file(record, telemetryClockUs());
    }
    void onParamWriteStatus(uint8_t status) override { paramWrite.file(status); }
    void onParamRead(uint8_t status, const uint16_t* values, size_t count) override;
    void onReplyLost(uint8_t command) override;
};

// Status of a control or mechanism reply as a result code: 1 -> 7, 0xF0 -> 8, 0xFF -> 9, else 11.
CradleResult mapControlStatus(uint8_t status);

}  // namespace cradle
