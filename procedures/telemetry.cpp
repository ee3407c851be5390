#include "telemetry.h"

#include <algorithm>
#include <cerrno>

namespace procedures {
namespace {

// Record A: signed 16-bit little-endian values at odd offsets.
constexpr size_t kRateOffset = 1, kAccelOffset = 7, kAttitudeOffset = 13;
constexpr float kRateLsbPerDegPerSec = 65.5f;
constexpr float kAccelLsbPerTenthG = 204.8f;
constexpr float kFullTurnDegrees = 360.0f;
constexpr float kAngleLsbFraction = 0.0000152587890625f;  // 1 / 65536
// Record B.
constexpr size_t kInputOffset = 1, kOutputOffset = 17, kModeByte = 25, kRecordByte = 26, kZoomByte = 27, kLostByte = 30;

constexpr size_t kReadPiece = 256;  // samples copied per library call

int16_t signed16(std::span<const uint8_t> r, size_t at) { return int16_t(uint16_t(r[at] | r[at + 1] << 8)); }

std::string format(const char* pattern, double value) {
    char text[32];
    const int n = std::snprintf(text, sizeof text, pattern, value);
    return std::string(text, size_t(std::clamp(n, 0, int(sizeof text) - 1)));
}

}  // namespace

std::optional<TelemetryA> decodeTelemetryA(std::span<const uint8_t> r) {
    if (r.size() < CRADLE_TELEMETRY_A_SIZE) return std::nullopt;
    TelemetryA a;
    for (size_t axis = 0; axis < kAxes; ++axis) {
        a.rate[axis] = signed16(r, kRateOffset + 2 * axis) / kRateLsbPerDegPerSec;
        a.accelTenthG[axis] = signed16(r, kAccelOffset + 2 * axis) / kAccelLsbPerTenthG;
        a.attitude[axis] = signed16(r, kAttitudeOffset + 2 * axis) * kFullTurnDegrees * kAngleLsbFraction;
    }
    return a;
}

std::optional<TelemetryB> decodeTelemetryB(std::span<const uint8_t> r) {
    if (r.size() < CRADLE_TELEMETRY_B_SIZE) return std::nullopt;
    TelemetryB b;
    for (size_t f = 0; f < kReceiverFunctions; ++f) {
        b.inputs[f] = uint16_t(r[kInputOffset + 2 * f] | r[kInputOffset + 2 * f + 1] << 8);
        b.outputs[f] = int8_t(r[kOutputOffset + f]);
    }
    b.modeStatus = int8_t(r[kModeByte]);
    b.recordStatus = int8_t(r[kRecordByte]);
    b.zoomStatus = int8_t(r[kZoomByte]);
    b.signalLost = r[kLostByte] != 0;
    return b;
}

TelemetryCursor::TelemetryCursor() : buffer_(kReadPiece) {}

int TelemetryCursor::readNew(std::vector<TelemetrySample>& out) {
    const size_t firstNew = out.size();
    for (int kind : {CRADLE_TELEMETRY_KIND_A, CRADLE_TELEMETRY_KIND_B}) {
        const size_t kindStart = out.size();
        for (;;) {
            int count = 0;
            unsigned long long newest = 0, lost = 0;
            const int rc = cradleCall(cradleCalls().GetCradleTelemetrySince, kind, after_[size_t(kind)], buffer_.data(),
                                      int(buffer_.size()), &count, &newest, &lost);
            if (rc != CRADLE_OK) return rc;
            lost_ += lost;
            for (int i = 0; i < count; ++i) {
                const CradleTelemetrySample& s = buffer_[size_t(i)];
                TelemetrySample& sample = out.emplace_back();
                sample.kind = kind;
                sample.sequence = s.sequence;
                sample.receivedUs = s.receivedUs;
                std::copy(std::begin(s.record), std::end(s.record), sample.record.begin());
                after_[size_t(kind)] = s.sequence;
            }
            if (size_t(count) < buffer_.size()) break;
        }
        // Each kind arrives in order; merging the two keeps the whole in receive order.
        std::inplace_merge(out.begin() + std::ptrdiff_t(firstNew), out.begin() + std::ptrdiff_t(kindStart), out.end(),
                           [](const TelemetrySample& x, const TelemetrySample& y) { return x.receivedUs < y.receivedUs; });
    }
    return CRADLE_OK;
}

int TelemetryCursor::skipToNewest() {
    for (int kind : {CRADLE_TELEMETRY_KIND_A, CRADLE_TELEMETRY_KIND_B}) {
        int count = 0;
        unsigned long long newest = 0, lost = 0;
        const int rc = cradleCall(cradleCalls().GetCradleTelemetrySince, kind, after_[size_t(kind)], buffer_.data(), 0,
                                  &count, &newest, &lost);
        if (rc != CRADLE_OK) return rc;
        after_[size_t(kind)] = newest;
    }
    return CRADLE_OK;
}

std::string telemetryCsvHeader() {
    static const char* const functions[kReceiverFunctions] = {"mode", "pitch", "yaw", "shot", "record", "zoom", "display", "shutter"};
    std::string h = "time_s,record,roll_deg,pitch_deg,yaw_deg,rate_x_deg_s,rate_y_deg_s,rate_z_deg_s,accel_x_g,accel_y_g,accel_z_g";
    for (const char* f : functions) (h += ",input_") += f;
    for (const char* f : functions) (h += ",output_") += f;
    return h + ",status_mode,status_record,status_zoom,signal_lost";
}

// Cells are appended one by one: GCC 12 misreads "," + std::string chains at -O3.
std::string telemetryCsvRow(double seconds, const TelemetryA& a) {
    std::string row = format("%.3f", seconds);
    row += ",A";
    for (float angle : a.attitude) (row += ',') += format("%.3f", angle);
    for (float rate : a.rate) (row += ',') += format("%.2f", rate);
    for (int axis = 0; axis < kAxes; ++axis) (row += ',') += format("%.4f", a.accelG(axis));
    row.append(size_t(2 * kReceiverFunctions + 4), ',');
    return row;
}

std::string telemetryCsvRow(double seconds, const TelemetryB& b) {
    std::string row = format("%.3f", seconds);
    row += ",B";
    row.append(size_t(3 * kAxes), ',');
    for (uint16_t input : b.inputs) (row += ',') += std::to_string(input);
    for (int8_t output : b.outputs) (row += ',') += std::to_string(output);
    for (int status : {int(b.modeStatus), int(b.recordStatus), int(b.zoomStatus), int(b.signalLost)})
        (row += ',') += std::to_string(status);
    return row;
}

bool TelemetryCsvWriter::put(const std::string& line) {
    if (error_) return false;
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), out_) != line.size() || std::fputc('\n', out_) == EOF) {
        error_ = errno ? errno : EIO;
        return false;
    }
    return true;
}

bool TelemetryCsvWriter::writeHeader() { return put(telemetryCsvHeader()); }

bool TelemetryCsvWriter::writeSample(const TelemetrySample& sample, int64_t originUs) {
    const double seconds = double(sample.receivedUs - originUs) / 1e6;
    std::string row;
    if (sample.kind == CRADLE_TELEMETRY_KIND_A) {
        const auto a = decodeTelemetryA(sample.record);
        if (!a) return false;
        row = telemetryCsvRow(seconds, *a);
    } else {
        const auto b = decodeTelemetryB(sample.record);
        if (!b) return false;
        row = telemetryCsvRow(seconds, *b);
    }
    if (!put(row)) return false;
    ++rows_;
    return true;
}

bool TelemetryCsvWriter::flush() {
    if (error_) return false;
    errno = 0;
    if (std::fflush(out_) != 0) {
        error_ = errno ? errno : EIO;
        return false;
    }
    return true;
}

}  // namespace procedures
