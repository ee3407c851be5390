// Generated telemetry: a smoothly moving attitude with matching rotation rates and gravity seen in the
// body frame (record A), and receiver inputs sweeping through the S-BUS range (record B).
#pragma once

#include <array>
#include <cstdint>

#include "gimbalsim/Simulator.h"

namespace gimbalsim::telemetry {

constexpr double kRateCountsPerDegS = 65.5;      // rotation rate scale
constexpr double kAccelCountsPerTenthG = 204.8;  // acceleration scale (tenths of g)
constexpr double kAngleCountsPerTurn = 65536.0;
constexpr int kSbusMin = 352;
constexpr int kSbusMax = 1696;

struct Attitude {
    double rollDeg, pitchDeg, yawDeg;           // yaw wrapped to [-180, 180)
    double rollRate, pitchRate, yawRate;        // degrees per second
    double accelX, accelY, accelZ;              // tenths of g
};

Attitude attitudeAt(double seconds);
std::array<uint8_t, kTelemetryABytes> recordA(double seconds, uint8_t sequence);

struct ReceiverContext {
    bool infraredCamera = false;  // zoom status is a factor for infrared modules
    bool signalLost = false;
};
std::array<uint8_t, kTelemetryBBytes> recordB(double seconds, uint8_t sequence, const ReceiverContext& context);

}  // namespace gimbalsim::telemetry
