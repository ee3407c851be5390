// Reply latency: control exchanges against a gimbal-sim that answers at once, timed from call to return.
#include <chrono>
#include <cstdio>
#include <map>
#include <vector>

#include "Cradle.h"
#include "support/percentile.h"
#include "support/line_settings.h"
#include "support/sim_process.h"

namespace {

constexpr int kExchanges = 200;
constexpr double kTargetP50Ms = 5.0;
constexpr double kPolledReplyFloorMs = 200.0;  // what a reply looked for every 200 ms costs at least

}  // namespace

int main() {
    bench::SimProcess sim({});
    if (!sim.ok()) {
        std::fprintf(stderr, "reply latency: %s\n", sim.failure().c_str());
        return 1;
    }
    if (!bench::openPort(sim.portPath())) {
        std::fprintf(stderr, "reply latency: cannot open %s (last error %d)\n", sim.portPath().c_str(),
                     GetSerialLastError());
        return 1;
    }
    std::vector<double> millis;
    std::map<int, int> codes;
    for (int i = 0; i < kExchanges; ++i) {
        const auto begin = std::chrono::steady_clock::now();
        const int code = CradleStart();
        const auto end = std::chrono::steady_clock::now();
        millis.push_back(std::chrono::duration<double, std::milli>(end - begin).count());
        ++codes[code];
    }
    CSerialClosePort();

    const double p50 = bench::percentile(millis, 0.50);
    const double p99 = bench::percentile(millis, 0.99);
    std::printf("reply latency: %d CradleStart exchanges, p50 %.3f ms, p99 %.3f ms, max %.3f ms\n", kExchanges, p50,
                p99, bench::percentile(millis, 1.0));
    std::printf("  reference: target p50 under %.0f ms; a reply looked for every 200 ms takes at least %.0f ms\n",
                kTargetP50Ms, kPolledReplyFloorMs);
    for (const auto& [code, count] : codes) std::printf("  result %d: %d calls\n", code, count);
    std::printf("reply_latency_p50_ms %.3f\n", p50);
    const int answered = codes[CRADLE_STATUS_ACCEPTED] + codes[CRADLE_STATUS_DONE];
    if (answered != kExchanges) {
        std::fprintf(stderr, "reply latency: only %d of %d exchanges were answered\n", answered, kExchanges);
        return 1;
    }
    return 0;
}
