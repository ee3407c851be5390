// The request-and-wait pattern every protocol export follows.
#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <span>

#include "Cradle.h"
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

inline bool started() { return Link::instance().started(); }
inline ReplyStores& stores() { return Link::instance().stores(); }

// A reply owed by an earlier request is waited for until one window after that request's own
// window would have ended; a later one is past telling apart from the answer to the next request.
inline Clock::time_point owedReplyDeadline() { return Clock::now() + 2 * kReplyWindow; }

// Starts an exchange: lets in and drops what the stores still owe from earlier requests (this costs
// time only after an earlier wait ended without its reply), then clears their flags.
inline void settleOwed(const Gates& gates) {
    const std::atomic<bool>& lineUp = Link::instance().lineUp();
    for (ReplyGate* gate : gates) gate->settleOwed(lineUp);
}

// Sends with up to `attempts` tries starting 200 ms apart, so a try that waited on a stalled line
// does not stretch the whole. Before every try the stores' flags are cleared (unless clearFlags is
// false) and each is told to expect a reply. False when every try failed or the link was closed meanwhile.
inline bool sendWithRetry(std::span<const uint8_t> frame, int attempts, const Gates& gates, bool clearFlags = true) {
    Link& link = Link::instance();
    auto next = Clock::now();
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        for (ReplyGate* gate : gates) {
            if (clearFlags) gate->clear();
            gate->expectReply(owedReplyDeadline());
        }
        if (link.sendFrame(frame)) return true;
        for (ReplyGate* gate : gates) gate->withdrawExpectation();
        next += kRetryGap;
        if (attempt < attempts && !link.pauseUnlessClosed(next)) return false;
    }
    return false;
}

// What an export returns when its request went out but no reply came: 14 after a close,
// 1 after a removal (the request went with the port), else `windowEnded`.
inline int noReplyCode(int windowEnded = CRADLE_E_NO_REPLY) {
    Link& link = Link::instance();
    if (!link.started()) return CRADLE_E_NOT_STARTED;
    if (!link.lineUp()) return CRADLE_E_NOT_SENT;
    return windowEnded;
}

// What an export returns when sendWithRetry gave up: 14 after a close, else 1.
inline int notSentCode() { return started() ? CRADLE_E_NOT_SENT : CRADLE_E_NOT_STARTED; }

// Waits until `deadline` for a reply that `accepts` takes. Replies it turns down (nothing yet, or
// the answer to an earlier request arriving late) are passed over within the same window.
// Nothing when the window ends or the link goes down (see noReplyCode).
template <typename T, typename Accepts>
std::optional<T> awaitReply(ReplySlot<T>& slot, Clock::time_point deadline, Accepts accepts) {
    const std::atomic<bool>& lineUp = Link::instance().lineUp();
    for (;;) {
        std::optional<T> reply = slot.takeUntil(deadline, lineUp);
        if (!reply || accepts(*reply)) return reply;
    }
}

// Serialises configuration transfer, calibration, start and stop.
std::mutex& controlLock();

}  // namespace cradle::ops
