// The gimbal's telemetry: records A (attitude, rotation rates, accelerations) and B (receiver channels)
// decoded once for every face, the history read from the library without gaps, and the one CSV layout
// that recordings and `cradlectl monitor` write.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Cradle.h"
#include "CradleCalls.h"

namespace procedures {

constexpr int kAxes = 3;
constexpr int kReceiverFunctions = 8;  // mode, pitch, yaw, shot, record, zoom, display, shutter

struct TelemetryA {
    std::array<float, kAxes> rate{};         // X, Y, Z rotation rate, degrees per second
    std::array<float, kAxes> accelTenthG{};  // X, Y, Z acceleration as the gimbal counts it: tenths of g
    std::array<float, kAxes> attitude{};     // roll, pitch, heading, degrees
    float accelG(int axis) const { return accelTenthG[size_t(axis)] / 10.0f; }
};

struct TelemetryB {
    std::array<uint16_t, kReceiverFunctions> inputs{};  // raw receiver input of each function's channel
    std::array<int8_t, kReceiverFunctions> outputs{};   // what each function outputs
    int8_t modeStatus = 0, recordStatus = 0, zoomStatus = 0;
    bool signalLost = false;
};

// Nothing for a record shorter than its layout (19 or 31 bytes): a cut record is not half applied.
std::optional<TelemetryA> decodeTelemetryA(std::span<const uint8_t> record);
std::optional<TelemetryB> decodeTelemetryB(std::span<const uint8_t> record);

// One sample of the library's history, either kind.
struct TelemetrySample {
    int kind = CRADLE_TELEMETRY_KIND_A;
    uint64_t sequence = 0;
    int64_t receivedUs = 0;  // the library's monotonic receive clock
    std::array<uint8_t, CRADLE_TELEMETRY_SAMPLE_BYTES> record{};
};

// Reads the library's telemetry history from where the last read ended: each sample once, both kinds
// merged in receive order. Its buffer is allocated once.
class TelemetryCursor {
public:
    TelemetryCursor();
    // Appends the new samples to `out`; the library's result code (0, or 14 from a missing table entry).
    int readNew(std::vector<TelemetrySample>& out);
    // Starts after what the library holds now: the next read returns only samples filed from here on.
    int skipToNewest();
    uint64_t lost() const { return lost_; }  // samples the ring dropped before this cursor read them

private:
    std::array<uint64_t, 2> after_{};
    uint64_t lost_ = 0;
    std::vector<CradleTelemetrySample> buffer_;
};

// The CSV layout: a header naming each column with its unit, then one row per sample, kind A or B,
// with the cells of the other kind empty. Times are seconds from an origin the caller chooses.
std::string telemetryCsvHeader();
std::string telemetryCsvRow(double seconds, const TelemetryA& a);
std::string telemetryCsvRow(double seconds, const TelemetryB& b);

// Writes the layout to a stream and checks every write: after a failure it writes nothing more and
// error() holds the errno of the failed write (ENOSPC, EPIPE, EIO...).
class TelemetryCsvWriter {
public:
    explicit TelemetryCsvWriter(std::FILE* out) : out_(out) {}
    bool writeHeader();
    // False for a record that does not decode as well as for a failed write (error() tells them apart).
    bool writeSample(const TelemetrySample& sample, int64_t originUs);
    bool flush();
    bool failed() const { return error_ != 0; }
    int error() const { return error_; }
    uint64_t rows() const { return rows_; }

private:
    bool put(const std::string& line);
    std::FILE* out_;
    int error_ = 0;
    uint64_t rows_ = 0;
};

}  // namespace procedures
