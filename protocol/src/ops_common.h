// The request-and-wait pattern every protocol export follows.
#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <span>
#include <thread>

#include "link.h"

namespace cradle::ops {

using namespace std::chrono_literals;

constexpr int kSendAttempts = 10;
constexpr int kSendAttemptsLong = 11;
constexpr auto kRetryGap = 200ms;
constexpr auto kLookGap = 200ms;
constexpr int kLooksPerWindow = 10;
// A reply is taken the moment it is filed; the window is as long as ten 200 ms waits.
constexpr auto kReplyWindow = kLookGap * kLooksPerWindow;

inline Clock::time_point replyDeadline() { return Clock::now() + kReplyWindow; }

// Sends with up to `attempts` tries 200 ms apart; beforeEach runs before every try (clears the reply flag).
template <typename BeforeEach>
bool sendWithRetry(std::span<const uint8_t> frame, int attempts, BeforeEach beforeEach) {
    Link& link = Link::instance();
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        beforeEach();
        if (link.sendFrame(frame)) return true;
        if (attempt < attempts) std::this_thread::sleep_for(kRetryGap);
    }
    return false;
}

// Serialises configuration transfer, calibration, start and stop.
std::mutex& controlLock();

inline bool started() { return Link::instance().started(); }
inline ReplyStores& stores() { return Link::instance().stores(); }

// Waits for a control reply of one unit whose status is `wanted`; other statuses do not end the wait.
inline std::optional<ControlRecord> awaitControlStatus(uint8_t unitBit, uint8_t subCommand, uint8_t wanted,
                                                       Clock::time_point deadline) {
    for (;;) {
        auto record = stores().control.takeUntil(unitBit, subCommand, deadline);
        if (!record) return std::nullopt;
        if ((*record)[0] == wanted) return record;
    }
}

}  // namespace cradle::ops
