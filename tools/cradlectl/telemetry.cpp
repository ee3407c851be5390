#include "telemetry.h"

namespace cradlectl {
namespace {

constexpr float kRateLsbPerDegree = 65.5f;
constexpr float kAccelLsbPerTenthG = 204.8f;
constexpr float kTenthsPerG = 10.0f;
constexpr float kAngleFullCircle = 360.0f / 65536.0f;
constexpr int kInputsOffset = 1, kOutputsOffset = 17, kModeOffset = 25, kRecordOffset = 26, kZoomOffset = 27, kLostOffset = 30;

int16_t signed16(const uint8_t* p) { return int16_t(uint16_t(p[0] | p[1] << 8)); }

}  // namespace

AttitudeSample decodeAttitude(const uint8_t (&r)[CRADLE_TELEMETRY_A_SIZE]) {
    AttitudeSample s;
    s.rateX = signed16(r + 1) / kRateLsbPerDegree;
    s.rateY = signed16(r + 3) / kRateLsbPerDegree;
    s.rateZ = signed16(r + 5) / kRateLsbPerDegree;
    s.accelX = signed16(r + 7) / kAccelLsbPerTenthG / kTenthsPerG;
    s.accelY = signed16(r + 9) / kAccelLsbPerTenthG / kTenthsPerG;
    s.accelZ = signed16(r + 11) / kAccelLsbPerTenthG / kTenthsPerG;
    s.roll = signed16(r + 13) * kAngleFullCircle;
    s.pitch = signed16(r + 15) * kAngleFullCircle;
    s.yaw = signed16(r + 17) * kAngleFullCircle;
    return s;
}

ReceiverSample decodeReceiver(const uint8_t (&r)[CRADLE_TELEMETRY_B_SIZE]) {
    ReceiverSample s;
    for (int i = 0; i < kReceiverFunctions; ++i) {
        s.inputs[i] = uint16_t(r[kInputsOffset + 2 * i] | r[kInputsOffset + 2 * i + 1] << 8);
        s.outputs[i] = int8_t(r[kOutputsOffset + i]);
    }
    s.modeStatus = int8_t(r[kModeOffset]);
    s.recordStatus = int8_t(r[kRecordOffset]);
    s.zoomStatus = int8_t(r[kZoomOffset]);
    s.signalLost = r[kLostOffset] != 0;
    return s;
}

}  // namespace cradlectl
