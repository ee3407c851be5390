// cradlectl monitor: telemetry A and B, decoded, at a steady rate until a count or a signal ends it.
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <ctime>

#include "commands.h"
#include "exit_codes.h"
#include "telemetry.h"

namespace cradlectl {
using namespace procedures;
namespace {

using json = nlohmann::ordered_json;
constexpr double kFirstRecordWaitSeconds = 3.0;

std::string csvHeader() {
    std::string h = "time_s,roll,pitch,yaw,rate_x,rate_y,rate_z,accel_x,accel_y,accel_z";
    for (int i = 0; i < kReceiverFunctions; ++i) h += ",input" + std::to_string(i);
    for (int i = 0; i < kReceiverFunctions; ++i) h += ",output" + std::to_string(i);
    return h + ",mode,record,zoom,signal_lost";
}

std::string csvRow(double t, const AttitudeSample& a, const ReceiverSample* b) {
    char text[256];
    std::snprintf(text, sizeof text, "%.3f,%.2f,%.2f,%.2f,%.2f,%.2f,%.2f,%.3f,%.3f,%.3f", t, a.roll, a.pitch, a.yaw, a.rateX, a.rateY, a.rateZ,
                  a.accelX, a.accelY, a.accelZ);
    std::string row = text;
    // Empty cells without record B; appended field by field (GCC 12 misreads "," + std::string at -O3).
    auto cell = [&row](bool present, int value) {
        row += ',';
        if (present) row += std::to_string(value);
    };
    for (int i = 0; i < kReceiverFunctions; ++i) cell(b, b ? b->inputs[i] : 0);
    for (int i = 0; i < kReceiverFunctions; ++i) cell(b, b ? b->outputs[i] : 0);
    cell(b, b ? b->modeStatus : 0);
    cell(b, b ? b->recordStatus : 0);
    cell(b, b ? b->zoomStatus : 0);
    cell(b, b ? int(b->signalLost) : 0);
    return row;
}

json jsonRow(double t, const AttitudeSample& a, const ReceiverSample* b) {
    auto round = [](float v, double scale) { return std::round(v * scale) / scale; };
    json row = {{"time_s", round(float(t), 1000)},
                {"attitude", {{"roll", round(a.roll, 100)}, {"pitch", round(a.pitch, 100)}, {"yaw", round(a.yaw, 100)}}},
                {"rate", {{"x", round(a.rateX, 100)}, {"y", round(a.rateY, 100)}, {"z", round(a.rateZ, 100)}}},
                {"accel_g", {{"x", round(a.accelX, 1000)}, {"y", round(a.accelY, 1000)}, {"z", round(a.accelZ, 1000)}}}};
    if (b)
        row["receiver"] = {{"inputs", b->inputs}, {"outputs", b->outputs}, {"mode", b->modeStatus}, {"record", b->recordStatus},
                           {"zoom", b->zoomStatus}, {"signal_lost", b->signalLost}};
    return row;
}

}  // namespace

int cmdMonitor(const Context& ctx, const std::string& format, double rateHz, long long count) {
    json data = {{"command", "monitor"}};
    if (ctx.ports.size() != 1)
        return report(ctx, data, {kExitUsage, ctx.ports.empty() ? "monitor needs --port" : "monitor takes one --port"}, "");
    const bool asJson = ctx.json || format == "json";

    // Blocked before the library starts its threads, so they inherit the mask and an interrupt reaches
    // the wait below, which ends the stream cleanly.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);

    Gimbal gimbal;
    if (Status s = gimbal.open(ctx.ports[0]); !s.ok()) return report(ctx, data, s, "");

    const auto period = std::chrono::duration<double>(1.0 / rateHz);
    const auto began = std::chrono::steady_clock::now();
    auto next = began;
    long long printed = 0;
    bool header = false;
    while (count == 0 || printed < count) {
        const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        uint8_t a[CRADLE_TELEMETRY_A_SIZE], b[CRADLE_TELEMETRY_B_SIZE];
        if (GetLogCradleDataA(a) == CRADLE_OK) {
            const bool haveB = GetLogCradleDataB(b) == CRADLE_OK;
            const AttitudeSample attitude = decodeAttitude(a);
            const ReceiverSample receiver = haveB ? decodeReceiver(b) : ReceiverSample{};
            if (asJson) {
                std::printf("%s\n", jsonRow(t, attitude, haveB ? &receiver : nullptr).dump().c_str());
            } else {
                if (!header) std::printf("%s\n", csvHeader().c_str());
                header = true;
                std::printf("%s\n", csvRow(t, attitude, haveB ? &receiver : nullptr).c_str());
            }
            std::fflush(stdout);
            ++printed;
        } else if (t > kFirstRecordWaitSeconds) {
            return report(ctx, data, {kExitNoAnswer, ctx.ports[0] + ": no telemetry from the gimbal"}, "");
        }
        next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(period);
        const auto wait = next - std::chrono::steady_clock::now();
        if (wait <= wait.zero()) continue;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
        const timespec timeout{time_t(ns / 1000000000), long(ns % 1000000000)};
        if (sigtimedwait(&stopSignals, nullptr, &timeout) > 0) break;
    }
    return kExitOk;
}

}  // namespace cradlectl
