#include "telemetry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "wire.h"

namespace gimbalsim::telemetry {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kDeg = std::numbers::pi / 180.0;
constexpr double kRollAmplitudeDeg = 20.0, kRollHz = 0.10;
constexpr double kPitchAmplitudeDeg = 30.0, kPitchHz = 0.07;
constexpr double kYawDegPerS = 15.0;
constexpr double kGravityTenthsG = 10.0;
constexpr int kSbusCentre = (kSbusMin + kSbusMax) / 2;
constexpr int kSbusSwing = (kSbusMax - kSbusMin) / 2 - 8;  // stay strictly inside the range
constexpr int kFunctions = 8;
constexpr uint8_t kStatusHeadingLock = 1, kStatusHeadingFollow = 2;
constexpr uint8_t kStatusRecording = 1, kStatusStopped = 2;
constexpr uint8_t kZoomStopped = 0, kZoomIn = 126, kZoomOut = 127;
constexpr int kPitchFunction = 1, kYawFunction = 2;

int16_t clamp16(double v) { return int16_t(std::clamp(std::lround(v), -32768l, 32767l)); }

void putSigned16(uint8_t* p, int16_t v) { wire::put16(p, uint16_t(v)); }

// Switch position as the gimbal reports it: 1 low, 2 middle, 3 high.
int8_t switchPosition(int input) {
    const int third = (kSbusMax - kSbusMin) / 3;
    if (input < kSbusMin + third) return 1;
    if (input < kSbusMin + 2 * third) return 2;
    return 3;
}

}  // namespace

Attitude attitudeAt(double t) {
    Attitude a{};
    a.rollDeg = kRollAmplitudeDeg * std::sin(kTwoPi * kRollHz * t);
    a.pitchDeg = kPitchAmplitudeDeg * std::sin(kTwoPi * kPitchHz * t);
    a.yawDeg = std::fmod(kYawDegPerS * t + 180.0, 360.0) - 180.0;
    a.rollRate = kRollAmplitudeDeg * kTwoPi * kRollHz * std::cos(kTwoPi * kRollHz * t);
    a.pitchRate = kPitchAmplitudeDeg * kTwoPi * kPitchHz * std::cos(kTwoPi * kPitchHz * t);
    a.yawRate = kYawDegPerS;
    // Gravity in the body frame for roll phi and pitch theta.
    const double phi = a.rollDeg * kDeg, theta = a.pitchDeg * kDeg;
    a.accelX = -kGravityTenthsG * std::sin(theta);
    a.accelY = kGravityTenthsG * std::sin(phi) * std::cos(theta);
    a.accelZ = kGravityTenthsG * std::cos(phi) * std::cos(theta);
    return a;
}

std::array<uint8_t, kTelemetryABytes> recordA(double seconds, uint8_t sequence) {
    const Attitude a = attitudeAt(seconds);
    std::array<uint8_t, kTelemetryABytes> r{};
    r[0] = sequence;
    const double rates[3] = {a.rollRate, a.pitchRate, a.yawRate};
    const double accels[3] = {a.accelX, a.accelY, a.accelZ};
    const double angles[3] = {a.rollDeg, a.pitchDeg, a.yawDeg};
    for (int i = 0; i < 3; ++i) {
        putSigned16(&r[1 + 2 * i], clamp16(rates[i] * kRateCountsPerDegS));
        putSigned16(&r[7 + 2 * i], clamp16(accels[i] * kAccelCountsPerTenthG));
        putSigned16(&r[13 + 2 * i], clamp16(angles[i] * kAngleCountsPerTurn / 360.0));
    }
    return r;
}

std::array<uint8_t, kTelemetryBBytes> recordB(double seconds, uint8_t sequence, const ReceiverContext& context) {
    std::array<uint8_t, kTelemetryBBytes> r{};
    r[0] = sequence;
    int inputs[kFunctions];
    for (int f = 0; f < kFunctions; ++f) {
        // Each function sweeps at its own pace so the page shows distinct movement.
        const double hz = 0.05 + 0.02 * f;
        inputs[f] = kSbusCentre + int(std::lround(kSbusSwing * std::sin(kTwoPi * hz * seconds + f)));
        wire::put16(&r[1 + 2 * f], uint16_t(inputs[f]));
        int8_t output;
        if (f == kPitchFunction || f == kYawFunction)
            output = int8_t(std::clamp((inputs[f] - kSbusCentre) / 6, -127, 127));
        else
            output = switchPosition(inputs[f]);
        r[17 + f] = uint8_t(output);
    }
    const int8_t mode = int8_t(r[17]), record = int8_t(r[21]), zoom = int8_t(r[22]);
    r[25] = mode == 3 ? kStatusHeadingFollow : kStatusHeadingLock;
    r[26] = record == 3 ? kStatusRecording : kStatusStopped;
    if (context.infraredCamera) {
        static constexpr uint8_t kFactors[] = {1, 2, 4, 8, 16};
        r[27] = kFactors[size_t(inputs[5] - kSbusMin) * 5 / size_t(kSbusMax - kSbusMin + 1)];
    } else {
        r[27] = zoom == 1 ? kZoomOut : zoom == 3 ? kZoomIn : kZoomStopped;
    }
    r[30] = context.signalLost ? 1 : 0;
    return r;
}

}  // namespace gimbalsim::telemetry
