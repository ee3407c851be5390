// Telemetry records A and B decoded as the program's pages show them.
#pragma once

#include <array>
#include <cstdint>

#include "Cradle.h"

namespace cradlectl {

struct AttitudeSample {           // record A
    float roll = 0, pitch = 0, yaw = 0;             // degrees
    float rateX = 0, rateY = 0, rateZ = 0;          // degrees per second
    float accelX = 0, accelY = 0, accelZ = 0;       // g
};

constexpr int kReceiverFunctions = 8;
struct ReceiverSample {           // record B
    std::array<uint16_t, kReceiverFunctions> inputs{};
    std::array<int8_t, kReceiverFunctions> outputs{};
    int8_t modeStatus = 0, recordStatus = 0, zoomStatus = 0;
    bool signalLost = false;
};

AttitudeSample decodeAttitude(const uint8_t (&record)[CRADLE_TELEMETRY_A_SIZE]);
ReceiverSample decodeReceiver(const uint8_t (&record)[CRADLE_TELEMETRY_B_SIZE]);

}  // namespace cradlectl
