// Gimbal control and telemetry: CradleCalibration, CradleStart, CradleStop,
// CradleUpdateMechanismFirm, GetLogCradleDataA, GetLogCradleDataB.
#include <array>
#include <mutex>

#include "Cradle.h"
#include "frame.h"
#include "ops_common.h"

using namespace cradle;
using namespace cradle::ops;

namespace {

constexpr uint8_t kControlledUnit = 2;
constexpr int kMaxCalibrationType = 5;
// How many 200 ms looks a calibration accepted by the unit is watched for, per type.
constexpr std::array<int, kMaxCalibrationType + 1> kCalibrationLooks = {0, 50, 50, 50, 175, 50};

std::mutex mechanismLock;

int mapWhileStarted(uint8_t code) { return started() ? mapControlStatus(code) : result::kNotStarted; }

// One control frame to the unit with bit 2, then its reply, mapped.
int singleUnitExchange(uint8_t subCommand, uint8_t argument) {
    auto& table = stores().control;
    table.clear(subCommand, kControlledUnit);
    if (!sendWithRetry(singleUnitControl(subCommand, argument), kSendAttemptsLong, [] {})) return result::kNotSent;
    const auto deadline = replyDeadline();
    for (;;) {
        const auto record = table.takeUntil(kControlledUnit, subCommand, deadline);
        if (!started()) return result::kNotStarted;
        if (!record) return result::kNoReply;
        const int code = mapControlStatus((*record)[0]);
        if (code != result::kNoReplyYet) return code;
    }
}

int controlCommand(uint8_t subCommand) {
    if (!started()) return result::kNotStarted;
    std::lock_guard lock(controlLock());
    return singleUnitExchange(subCommand, 0);
}

}  // namespace

std::mutex& cradle::ops::controlLock() {
    static std::mutex lock;
    return lock;
}

// A type outside 0..5 has no watching window and is refused with 4 before anything is sent.
extern "C" int CradleCalibration(int calibrationType) {
    if (!started()) return result::kNotStarted;
    if (calibrationType < 0 || calibrationType > kMaxCalibrationType) return result::kNullArgument;
    int code;
    {
        std::lock_guard lock(controlLock());
        code = singleUnitExchange(control::kCalibrate, static_cast<uint8_t>(calibrationType));
    }
    if (code != result::kStatusAccepted) return code;
    const int looks = kCalibrationLooks[static_cast<size_t>(calibrationType)];
    if (looks == 0) return code;
    // Watch without the control lock. The result at the end of the window is what the last
    // 200 ms brought: 11 if the unit said nothing in that time.
    const auto deadline = Clock::now() + kLookGap * looks;
    Clock::time_point lastReplyAt{};
    int lastCode = result::kNoReplyYet;
    while (const auto record = stores().control.takeUntil(kControlledUnit, control::kCalibrate, deadline)) {
        const int mapped = mapWhileStarted((*record)[0]);
        if (mapped == result::kStatusDone) return result::kDone;
        lastCode = mapped;
        lastReplyAt = Clock::now();
    }
    if (!started()) return result::kNotStarted;
    return lastReplyAt + kLookGap >= deadline ? lastCode : result::kNoReplyYet;
}

extern "C" int CradleStart(void) { return controlCommand(control::kStart); }

extern "C" int CradleStop(void) { return controlCommand(control::kStop); }

extern "C" int CradleUpdateMechanismFirm(void) {
    if (!started()) return result::kNotStarted;
    std::lock_guard lock(mechanismLock);
    auto& store = stores().mechanism;
    if (!sendWithRetry(mechanismFirmware(), kSendAttemptsLong, [&] { store.clear(); })) return result::kNotSent;
    const auto deadline = replyDeadline();
    int code;
    do {
        const auto reply = store.takeUntil(deadline);
        if (!reply) return result::kNoReply;
        code = *reply;
    } while (code == result::kNoReplyYet);
    return code == result::kStatusDone || code == result::kStatusAccepted ? result::kDone : code;
}

// The records outlive a close: without a port these report what was received before.
extern "C" int GetLogCradleDataA(unsigned char* record) {
    if (!record) return result::kNullArgument;
    return stores().telemetryA.copyTo(record) ? result::kDone : result::kNoReplyYet;
}

extern "C" int GetLogCradleDataB(unsigned char* record) {
    if (!record) return result::kNullArgument;
    return stores().telemetryB.copyTo(record) ? result::kDone : result::kNoReplyYet;
}
