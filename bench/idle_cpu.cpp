// Idle cost: the library connected with telemetry streaming at 50 Hz each way it comes, nothing asked;
// the CPU time of the library's own threads as a share of one core.
#include <chrono>
#include <cstdio>
#include <thread>

#include "Cradle.h"
#include "support/line_settings.h"
#include "support/sim_process.h"
#include "support/thread_cpu.h"

namespace {

constexpr auto kConnectedFor = std::chrono::seconds(10);
constexpr int kTelemetryHz = 50;
constexpr double kTargetPercent = 1.0;

}  // namespace

int main() {
    const std::string hz = std::to_string(kTelemetryHz);
    bench::SimProcess sim({"--telemetry-a", hz, "--telemetry-b", hz});
    if (!sim.ok()) {
        std::fprintf(stderr, "idle cost: %s\n", sim.failure().c_str());
        return 1;
    }
    // The library's threads are the ones the open adds to this process.
    const std::set<int> before = bench::threadIds();
    if (!bench::openPort(sim.portPath())) {
        std::fprintf(stderr, "idle cost: cannot open %s (last error %d)\n", sim.portPath().c_str(),
                     GetSerialLastError());
        return 1;
    }
    std::map<int, long> startTicks;
    for (int tid : bench::threadIds())
        if (!before.count(tid)) startTicks[tid] = bench::threadCpuTicks(tid);
    const auto begin = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(kConnectedFor);  // measuring idle time is the point here

    long ticks = 0;
    std::printf("idle cost: connected %lld s, telemetry 0x6B and 0x6C at %d Hz each\n",
                static_cast<long long>(kConnectedFor.count()), kTelemetryHz);
    for (const auto& [tid, start] : startTicks) {
        const long now = bench::threadCpuTicks(tid);
        if (now < 0 || start < 0) continue;
        ticks += now - start;
        std::printf("  thread %d (%s): %ld ticks\n", tid, bench::threadName(tid).c_str(), now - start);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    unsigned char record[CRADLE_TELEMETRY_B_BUFFER_SIZE];
    const bool received = GetLogCradleDataA(record) == 0 && GetLogCradleDataB(record) == 0;
    CSerialClosePort();
    if (startTicks.empty() || !received) {
        std::fprintf(stderr, "idle cost: %s\n",
                     startTicks.empty() ? "no library threads found" : "no telemetry arrived");
        return 1;
    }
    const double percent = 100.0 * double(ticks) / double(bench::ticksPerSecond()) / seconds;
    std::printf("  %zu library threads used %.3f %% of one core (one tick is %.3f %%)\n", startTicks.size(), percent,
                100.0 / double(bench::ticksPerSecond()) / seconds);
    std::printf("  reference: target under %.0f %% of one core\n", kTargetPercent);
    std::printf("idle_cpu_percent %.3f\n", percent);
    return 0;
}
