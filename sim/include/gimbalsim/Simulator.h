// The gimbal side of the serial link: a device model served on a pseudo-terminal.
// Tests, benchmarks and the demo open portPath() exactly as they would open a real port.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Cradle.h"

namespace gimbalsim {

// Scripted behaviour for the replies to one command (or one control sub-command and unit).
struct Fault {
    int delayMs = 0;          // wait this long before replying
    int status = -1;          // -1: the device's normal status; else this status byte in the reply
    bool silent = false;      // do not reply at all
    bool corruptCrc = false;  // flip one bit of the reply's head CRC
    int noiseBytes = 0;       // junk bytes written before the reply
    bool split = false;       // reply in two writes with a short pause between them
    bool storeOther = false;  // parameter write (0x72): accept the page but store each value plus one
    int cutAfterBytes = -1;   // send only this many bytes of the reply (a device reset mid-reply); -1: whole
    int count = -1;           // number of replies this applies to, then normal again; -1 for ever
};

// One 6-byte entry of the version payload: id, hardware, major, minor, 0, 0 (payload = count byte + entries).
struct UnitVersion {
    uint8_t id;
    uint8_t hardware;
    uint8_t appMajor, appMinor;
};

struct Options {
    std::vector<UnitVersion> units;          // default: IFB(1), MX(2), MY(4), MZ(8)
    int telemetryAHz = 0, telemetryBHz = 0;  // 0x6B / 0x6C streams; 0 = off
    double timeScale = 1.0;                  // multiplies calibration durations (tests use e.g. 0.01)
    int lineRateBaud = 0;                    // 0 = unpaced; else bytes paced like an 8N1 line at that rate
    std::string linkPath;                    // symlink to the pty slave; empty = a fresh temp path
    double lostSignalAfterS = -1.0;          // receiver signal reported lost from this time on (-1: never)
    double lostSignalForS = 0.0;             // ... for this long
    std::vector<uint8_t> staleUnits;         // take images but keep reporting their old version after a reboot
    double telemetryOffAfterS = -1.0;        // both telemetry streams stop for good from this time on (-1: never)
};

constexpr size_t kTelemetryABytes = CRADLE_TELEMETRY_A_SIZE;
constexpr size_t kTelemetryBBytes = CRADLE_TELEMETRY_B_SIZE;
constexpr size_t kConfigRecordBytes = CRADLE_CONFIG_RECORD_SIZE;
constexpr size_t kFrameHistory = 4096;  // request frames kept for receivedFrames()
constexpr int kParameterCount = 21;  // parameter numbers 0..20
constexpr size_t kVersionEntryBytes = 6;
// Version entries the host's record can carry after the count byte.
constexpr size_t kMaxUnits = (CRADLE_VERSION_RECORD_SIZE - 1) / kVersionEntryBytes;

class Simulator {
public:
    explicit Simulator(Options options = {});
    ~Simulator();  // stops and joins everything
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool start();  // creates the pty + symlink, starts serving
    void stop();
    std::string portPath() const;  // the symlink path; the library opens this

    void setFault(uint8_t command, Fault f);  // per command code (0x43, 0x44, 0x45, 0x4D, 0x4E, 0x72, 0x73)
    void setControlFault(uint8_t subCommand, uint8_t unitBit, Fault f);  // 0x4D per sub-command and unit (2, 4, 8)
    void clearFaults();

    void setTelemetryRate(int hzA, int hzB);
    void setTelemetryA(std::array<uint8_t, kTelemetryABytes> record);  // fixed records (else generated)
    void setTelemetryB(std::array<uint8_t, kTelemetryBBytes> record);

    void sendRaw(const std::vector<uint8_t>& bytes);  // write arbitrary bytes to the host
    // Stops reading the line while held, as a device whose firmware is too busy to drain it; the host's
    // writes then fill the line until they stall. Telemetry goes on.
    void holdInput(bool held);
    // The most recent complete request frames (whole, incl. extension), in order; at most kFrameHistory.
    std::vector<std::vector<uint8_t>> receivedFrames() const;
    // Until `count` frames have arrived since the start or the last clearReceived (condition variable).
    bool waitForFrames(size_t count, std::chrono::milliseconds timeout) const;
    void clearReceived();

    uint16_t parameter(int number) const;  // numbers 0..20
    void setParameter(int number, uint16_t value);
    std::array<uint8_t, kConfigRecordBytes> configRecord() const;       // the working record (written by 0x22)
    std::array<uint8_t, kConfigRecordBytes> savedConfigRecord() const;  // the record as of the last save (0x24)
    void setConfigRecord(std::array<uint8_t, kConfigRecordBytes> record);  // sets both working and saved

    std::vector<uint8_t> firmwareImage(uint32_t unitCode) const;  // last image accepted whole with a good CRC-32
    int startApplicationCount() const;  // 0x46 seen
    bool isRunning() const;             // 0x27/0x26 start/stop state

    void unplug();  // closes the pty and removes the symlink (the port vanishes)
    bool replug();  // new pty, same symlink path; false when the port cannot be created there

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace gimbalsim
