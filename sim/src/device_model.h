// The gimbal as a pure state machine: requests in, reply frames (with when and how to send them) out.
// No threads and no I/O, so tests can drive it with byte arrays and read its answers directly.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "gimbalsim/Simulator.h"
#include "wire.h"

namespace gimbalsim {

// One thing to put on the line.
struct Outgoing {
    std::vector<uint8_t> bytes;
    int delayMs = 0;     // after the request arrived
    int noiseBytes = 0;  // junk first
    bool split = false;  // two writes with a short pause
};

struct ModelResult {
    std::vector<Outgoing> replies;
    bool rebooted = false;  // the application was (re)started: telemetry pauses
};

// Status byte 3 of replies, under the same names as the library's.
namespace status {
constexpr uint8_t kDone = 1;         // control: done; firmware request, block, parameter write: accepted
constexpr uint8_t kAccepted = 0xF0;  // control: accepted, still in progress
constexpr uint8_t kError = 0xFF;
constexpr uint8_t kRefusedFD = 0xFD;  // damaged block or unknown parameter
constexpr uint8_t kRefusedFE = 0xFE;  // out of order, malformed, not requested
}  // namespace status

namespace sub {
constexpr uint8_t kWriteItem = 0x22;
constexpr uint8_t kReadItem = 0x23;
constexpr uint8_t kSave = 0x24;
constexpr uint8_t kCalibrate = 0x25;
constexpr uint8_t kStop = 0x26;
constexpr uint8_t kStart = 0x27;
}  // namespace sub

constexpr uint8_t kUnitBits[] = {2, 4, 8};
constexpr int kConfigItems = 7;
constexpr int kCalibrationTypes = 6;  // 0..5; higher types are refused

// How long each calibration type runs on the device before it reports done (at time scale 1).
int calibrationDurationMs(int type);

class DeviceModel {
public:
    explicit DeviceModel(const Options& options);

    ModelResult handle(const wire::Request& request);

    // Faults
    void setFault(uint8_t command, const Fault& fault) { faults_[command] = fault; }
    void setControlFault(uint8_t subCommand, uint8_t unitBit, const Fault& fault) { controlFaults_[{subCommand, unitBit}] = fault; }
    void clearFaults() { faults_.clear(); controlFaults_.clear(); }

    // State
    const std::vector<UnitVersion>& units() const { return units_; }
    std::vector<uint8_t> versionPayload() const;
    uint16_t parameter(int number) const;
    void setParameter(int number, uint16_t value);
    const std::array<uint8_t, kConfigRecordBytes>& configRecord() const { return config_; }
    const std::array<uint8_t, kConfigRecordBytes>& savedConfigRecord() const { return savedConfig_; }
    void setConfigRecord(const std::array<uint8_t, kConfigRecordBytes>& record) { config_ = savedConfig_ = record; }
    std::vector<uint8_t> firmwareImage(uint32_t unitCode) const;
    int startApplicationCount() const { return startApplicationCount_; }
    bool isRunning() const { return running_; }
    bool infraredCamera() const;

private:
    struct Transfer {
        bool requested = false;
        uint32_t unit = 0;
        bool started = false;
        uint32_t length = 0;
        uint32_t crc = 0;
        uint32_t nextBlock = 1;
        std::vector<uint8_t> image;
    };

    uint8_t firmwareRequest(const wire::Request& request);
    uint8_t firmwareBlock(const wire::Request& request);
    void reboot();
    ModelResult parameterWrite(const wire::Request& request);
    ModelResult parameterRead(const wire::Request& request);
    ModelResult control(const wire::Request& request);

    // Applies the scripted fault for this reply (if any) and seals it; nothing when it is silenced.
    std::optional<Outgoing> finish(uint8_t command, std::optional<std::pair<uint8_t, uint8_t>> controlKey,
                                   wire::Head head, const std::vector<uint8_t>* extension, int delayMs = 0);
    std::optional<Fault> takeFault(uint8_t command, std::optional<std::pair<uint8_t, uint8_t>> controlKey);
    void append(ModelResult& result, std::optional<Outgoing> reply);

    double timeScale_;
    std::vector<UnitVersion> units_;
    std::array<uint16_t, kParameterCount> parameters_{};
    std::array<uint8_t, kConfigRecordBytes> config_{};
    std::array<uint8_t, kConfigRecordBytes> savedConfig_{};
    Transfer transfer_;
    std::map<uint32_t, std::vector<uint8_t>> images_;
    std::set<uint32_t> awaitingBoot_;
    std::set<uint32_t> staleUnits_;
    int startApplicationCount_ = 0;
    bool running_ = true;
    std::map<uint8_t, Fault> faults_;
    std::map<std::pair<uint8_t, uint8_t>, Fault> controlFaults_;
};

}  // namespace gimbalsim
