// cradlectl monitor: every telemetry sample of the library's history, decoded, each printed once with its
// receive time, until a count, a signal, a silent line or a pulled cable ends it.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "commands.h"
#include "exit_codes.h"
#include "output.h"
#include "platform.h"
#include "telemetry.h"

namespace cradlectl {
using namespace procedures;
namespace {

using json = nlohmann::ordered_json;
using Clock = std::chrono::steady_clock;
constexpr auto kReadInterval = std::chrono::milliseconds(50);
// Silence ends the stream after this long, or after this many of the stream's periods if that is longer.
constexpr double kSilenceFloorSeconds = 1.0;
constexpr double kSilencePeriods = 5.0;
// How long a stream is watched before its rate is compared with --rate.
constexpr double kRateEstimateSeconds = 1.0;
constexpr double kRateTolerance = 1.05;

int64_t nowUs() { return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count(); }

// One kind's arrivals: how fast the stream runs, and which sample --rate lets through next.
struct Stream {
    const char* name;
    uint64_t samples = 0;
    int64_t firstUs = 0, lastUs = 0;
    int64_t lastSlot = -1;
    bool rateSaid = false;
    double period() const { return samples >= 2 ? double(lastUs - firstUs) / 1e6 / double(samples - 1) : 0.0; }
    double span() const { return double(lastUs - firstUs) / 1e6; }
};

double rounded(double value, double scale) { return std::round(value * scale) / scale; }

json jsonRow(double seconds, const TelemetrySample& sample) {
    json row = {{"time_s", rounded(seconds, 1000)}};
    if (sample.kind == CRADLE_TELEMETRY_KIND_A) {
        const TelemetryA a = *decodeTelemetryA(sample.record);
        row["record"] = "A";
        row["attitude"] = {{"roll", rounded(a.attitude[0], 1000)}, {"pitch", rounded(a.attitude[1], 1000)}, {"yaw", rounded(a.attitude[2], 1000)}};
        row["rate"] = {{"x", rounded(a.rate[0], 100)}, {"y", rounded(a.rate[1], 100)}, {"z", rounded(a.rate[2], 100)}};
        row["accel_g"] = {{"x", rounded(a.accelG(0), 10000)}, {"y", rounded(a.accelG(1), 10000)}, {"z", rounded(a.accelG(2), 10000)}};
    } else {
        const TelemetryB b = *decodeTelemetryB(sample.record);
        row["record"] = "B";
        row["receiver"] = {{"inputs", b.inputs}, {"outputs", b.outputs}, {"mode", b.modeStatus}, {"record", b.recordStatus},
                           {"zoom", b.zoomStatus}, {"signal_lost", b.signalLost}};
    }
    return row;
}

// The output, every write checked: a full disk or a closed pipe ends the stream.
class Output {
public:
    explicit Output(bool asJson) : asJson_(asJson), csv_(stdout) {}
    bool sample(const TelemetrySample& s, int64_t originUs) {
        if (!asJson_) {
            if (!headerWritten_ && !csv_.writeHeader()) return fail(csv_.error());
            headerWritten_ = true;
            return csv_.writeSample(s, originUs) || fail(csv_.error());
        }
        const std::string line = jsonRow(double(s.receivedUs - originUs) / 1e6, s).dump() + "\n";
        errno = 0;
        return std::fwrite(line.data(), 1, line.size(), stdout) == line.size() || fail(errno);
    }
    bool flush() {
        errno = 0;
        return std::fflush(stdout) == 0 || fail(errno);
    }
    int error() const { return error_; }

private:
    bool fail(int error) {
        error_ = error ? error : EIO;
        return false;
    }
    bool asJson_;
    TelemetryCsvWriter csv_;
    bool headerWritten_ = false;
    int error_ = 0;
};

}  // namespace

int cmdMonitor(const Context& ctx, const std::string& format, double rateHz, long long count) {
    json data = {{"command", "monitor"}};
    if (ctx.ports.size() != 1)
        return report(ctx, data, {kExitUsage, ctx.ports.empty() ? "monitor needs --port" : "monitor takes one --port"}, "");
    const std::string& port = ctx.ports[0];

    // Before the library starts its threads: an interrupt then reaches the wait below, which ends the
    // stream cleanly.
    platform::holdInterrupts();

    Gimbal gimbal;
    if (Status s = gimbal.open(port); !s.ok()) return report(ctx, data, s, "");

    Output output(ctx.json || format == "json");
    TelemetryCursor cursor;
    std::vector<TelemetrySample> samples;
    Stream streams[2] = {{"A"}, {"B"}};
    const int64_t originUs = nowUs();
    const double slotUs = 1e6 / rateHz;
    int64_t lastArrivalUs = originUs;
    long long printed = 0;
    uint64_t lostSaid = 0;
    for (;;) {
        if (platform::awaitInterrupt(kReadInterval)) break;

        samples.clear();
        cursor.readNew(samples);
        // The library's history ran round before this read: say so, once per gap, rather than skip silently.
        if (cursor.lost() > lostSaid) {
            writeErr("cradlectl: " + std::to_string(cursor.lost() - lostSaid) + " telemetry samples lost (the output fell behind)\n");
            lostSaid = cursor.lost();
        }
        for (const TelemetrySample& sample : samples) {
            Stream& stream = streams[sample.kind];
            if (stream.samples++ == 0) stream.firstUs = sample.receivedUs;
            stream.lastUs = sample.receivedUs;
            lastArrivalUs = std::max(lastArrivalUs, sample.receivedUs);
            // At most one sample of each kind per 1/rate; a slower stream has every sample printed once.
            const int64_t slot = int64_t(double(sample.receivedUs - originUs) / slotUs);
            if (slot <= stream.lastSlot) continue;
            stream.lastSlot = slot;
            if (!output.sample(sample, originUs)) break;
            if (count > 0 && ++printed >= count) break;
        }
        if (output.error() == 0) output.flush();
        if (output.error() != 0) {
            std::fprintf(stderr, "cradlectl: cannot write the output: %s\n", std::strerror(output.error()));
            return kExitFailure;
        }
        if (count > 0 && printed >= count) break;

        for (Stream& stream : streams) {
            if (stream.rateSaid || stream.span() < kRateEstimateSeconds) continue;
            const double real = 1.0 / stream.period();
            if (rateHz > real * kRateTolerance)
                std::fprintf(stderr, "cradlectl: telemetry %s arrives at %.1f samples/s, fewer than --rate %g: each sample is printed once\n",
                             stream.name, real, rateHz);
            stream.rateSaid = true;
        }
        if (GetSerialLastError() == CRADLE_SERIAL_PORT_REMOVED)
            return report(ctx, data, {kExitFailure, port + ": the port was removed"}, "");
        const double silent = double(nowUs() - lastArrivalUs) / 1e6;
        const double limit = std::max(kSilenceFloorSeconds, kSilencePeriods * std::max(streams[0].period(), streams[1].period()));
        if (silent >= limit) {
            // A pulled cable is not a quiet gimbal, even before the library's watchdog has noticed it.
            if (!gimbal.portPresent()) return report(ctx, data, {kExitFailure, port + ": the port was removed"}, "");
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%.1f", silent);
            return report(ctx, data, {kExitNoAnswer, port + ": no telemetry for " + seconds + " s"}, "");
        }
    }
    return kExitOk;
}

}  // namespace cradlectl
