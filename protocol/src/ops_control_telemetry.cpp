// Gimbal control and telemetry: CradleCalibration, CradleStart, CradleStop,
// CradleUpdateMechanismFirm, GetLogCradleDataA, GetLogCradleDataB, GetCradleTelemetrySince.
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

ReplySlot<ControlRecord>& controlledUnitEntry(uint8_t subCommand) {
    return stores().control.entry(kControlledUnit, subCommand);
}

// One control frame to the unit with bit 2, then its reply, mapped. The reply echoes its
// sub-command and unit (the table's key) and nothing else of the request.
int singleUnitExchange(uint8_t subCommand, uint8_t argument) {
    auto& entry = controlledUnitEntry(subCommand);
    settleOwed({&entry});
    if (!sendWithRetry(singleUnitControl(subCommand, argument), kSendAttemptsLong, {&entry})) return notSentCode();
    const auto reply = awaitReply(entry, replyDeadline(), [](const ControlRecord& record) {
        return mapControlStatus(record[0]) != CRADLE_E_NO_RECORD;
    });
    if (!reply) return noReplyCode();
    return started() ? mapControlStatus((*reply)[0]) : CRADLE_E_NOT_STARTED;
}

int controlCommand(uint8_t subCommand) {
    if (!started()) return CRADLE_E_NOT_STARTED;
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
    if (!started()) return CRADLE_E_NOT_STARTED;
    if (calibrationType < 0 || calibrationType > kMaxCalibrationType) return CRADLE_E_NULL_ARGUMENT;
    int code;
    {
        std::lock_guard lock(controlLock());
        code = singleUnitExchange(control::kCalibrate, static_cast<uint8_t>(calibrationType));
    }
    if (code != CRADLE_STATUS_ACCEPTED) return code;
    const int looks = kCalibrationLooks[static_cast<size_t>(calibrationType)];
    if (looks == 0) return code;
    // Watch without the control lock. The result at the end of the window is what the last
    // 200 ms brought: 11 if the unit said nothing in that time. A close or a removal ends it at once.
    const auto deadline = Clock::now() + kLookGap * looks;
    Clock::time_point lastReplyAt{};
    int lastCode = CRADLE_E_NO_RECORD;
    auto& entry = controlledUnitEntry(control::kCalibrate);
    while (const auto record = awaitReply(entry, deadline, [](const ControlRecord&) { return true; })) {
        const int mapped = mapControlStatus((*record)[0]);
        if (mapped == CRADLE_STATUS_DONE) return started() ? CRADLE_OK : CRADLE_E_NOT_STARTED;
        lastCode = mapped;
        lastReplyAt = Clock::now();
    }
    if (const int down = noReplyCode(CRADLE_OK); down != CRADLE_OK) return down;
    return lastReplyAt + kLookGap >= deadline ? lastCode : CRADLE_E_NO_RECORD;
}

extern "C" int CradleStart(void) { return controlCommand(control::kStart); }

extern "C" int CradleStop(void) { return controlCommand(control::kStop); }

// The mechanism reply echoes nothing of its request, only a status.
extern "C" int CradleUpdateMechanismFirm(void) {
    if (!started()) return CRADLE_E_NOT_STARTED;
    std::lock_guard lock(mechanismLock);
    auto& store = stores().mechanism.reply;
    settleOwed({&store});
    if (!sendWithRetry(mechanismFirmware(), kSendAttemptsLong, {&store})) return notSentCode();
    const auto reply = awaitReply(store, replyDeadline(), [](int code) { return code != CRADLE_E_NO_RECORD; });
    if (!reply) return noReplyCode();
    return *reply == CRADLE_STATUS_DONE || *reply == CRADLE_STATUS_ACCEPTED ? CRADLE_OK : *reply;
}

// The records outlive a close: without a port these report what was received before.
extern "C" int GetLogCradleDataA(unsigned char* record) {
    if (!record) return CRADLE_E_NULL_ARGUMENT;
    return stores().historyA.copyNewest(record) ? CRADLE_OK : CRADLE_E_NO_RECORD;
}

extern "C" int GetLogCradleDataB(unsigned char* record) {
    if (!record) return CRADLE_E_NULL_ARGUMENT;
    return stores().historyB.copyNewest(record) ? CRADLE_OK : CRADLE_E_NO_RECORD;
}

extern "C" int GetCradleTelemetrySince(int kind, unsigned long long afterSequence, CradleTelemetrySample* samples,
                                       int capacity, int* count, unsigned long long* newestSequence,
                                       unsigned long long* lost) {
    if (kind != CRADLE_TELEMETRY_KIND_A && kind != CRADLE_TELEMETRY_KIND_B) return CRADLE_E_NULL_ARGUMENT;
    if (capacity < 0 || (capacity > 0 && !samples) || !count || !newestSequence || !lost) return CRADLE_E_NULL_ARGUMENT;
    const HistoryCopy copy = kind == CRADLE_TELEMETRY_KIND_A
                                 ? stores().historyA.copySince(afterSequence, samples, size_t(capacity))
                                 : stores().historyB.copySince(afterSequence, samples, size_t(capacity));
    *count = int(copy.count);
    *newestSequence = copy.newest;
    *lost = copy.lost;
    return CRADLE_OK;
}
