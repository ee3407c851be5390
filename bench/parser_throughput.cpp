// Parser throughput: frames per second through the receive ring and the parser on one core,
// a mixed stream of every reply kind with noise between frames, filed into the real reply stores.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>

#include "parser.h"
#include "sample_frames.h"
#include "stores.h"

namespace {

constexpr size_t kStreamFrames = 4096;
constexpr int kNoiseOneIn = 4;       // a quarter of the frames have junk in front of them
constexpr int kMaxNoiseBytes = 8;
constexpr int kTelemetryShare = 60;  // per cent: the gimbal's own telemetry dominates a live line
constexpr double kTargetFramesPerS = 1e6;
constexpr uint32_t kSeed = 20261207;

std::vector<uint8_t> mixedStream() {
    const auto frames = cradle::samples::replyFrames();
    std::vector<const cradle::samples::NamedFrame*> telemetry, replies;
    for (const auto& f : frames)
        (f.command == cradle::command::kTelemetryA || f.command == cradle::command::kTelemetryB ? telemetry : replies)
            .push_back(&f);
    std::mt19937 random(kSeed);
    std::vector<uint8_t> stream;
    for (size_t i = 0; i < kStreamFrames; ++i) {
        if (random() % kNoiseOneIn == 0)
            for (int n = int(random() % kMaxNoiseBytes) + 1; n > 0; --n) stream.push_back(uint8_t(random()));
        const auto& pool = int(random() % 100) < kTelemetryShare ? telemetry : replies;
        const auto& bytes = pool[random() % pool.size()]->bytes;
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    }
    return stream;
}

void mixedFrames(benchmark::State& state) {
    const std::vector<uint8_t> stream = mixedStream();
    cradle::ReceiveRing ring;
    cradle::ReplyStores stores;
    cradle::FrameParser parser(ring, stores);
    for (auto _ : state) parser.feed(stream.data(), stream.size());
    state.SetItemsProcessed(int64_t(parser.stats().framesFiled));
    state.SetBytesProcessed(int64_t(stream.size()) * state.iterations());
    state.counters["head_crc_errors"] = double(parser.stats().headCrcErrors);
}
BENCHMARK(mixedFrames)->Unit(benchmark::kMicrosecond);

// Keeps the console output and remembers the frames/s figure for the closing line.
class FigureReporter : public benchmark::ConsoleReporter {
public:
    FigureReporter() : ConsoleReporter(OO_Tabular) {}  // no colour codes: scripts/bench keeps the text
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto it = run.counters.find("items_per_second");
            if (it != run.counters.end()) framesPerSecond = it->second.value;
        }
    }
    double framesPerSecond = 0;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    FigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("parser throughput: %.0f frames/s on one core (mixed kinds, noise before a quarter of them)\n",
                reporter.framesPerSecond);
    std::printf("  reference: target over %.0f frames/s\n", kTargetFramesPerS);
    std::printf("parser_frames_per_s %.0f\n", reporter.framesPerSecond);
    return reporter.framesPerSecond > 0 ? 0 : 1;
}
