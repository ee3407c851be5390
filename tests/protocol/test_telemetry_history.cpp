// The telemetry history ring: sequences, wrap-around, what a lagging reader loses, partial copies.
#include <gtest/gtest.h>

#include <vector>

#include "telemetry_history.h"

using namespace cradle;

namespace {

using History = TelemetryHistory<CRADLE_TELEMETRY_A_SIZE>;
constexpr uint64_t kRing = History::kCapacity;

// Files frames numbered from..to: byte 0 and the receive time carry the number, so a copy shows which it is.
void fileFrames(History& history, uint64_t from, uint64_t to) {
    uint8_t record[CRADLE_TELEMETRY_A_SIZE] = {};
    for (uint64_t n = from; n <= to; ++n) {
        record[0] = uint8_t(n);
        record[CRADLE_TELEMETRY_A_SIZE - 1] = 0xAB;
        history.file(record, int64_t(n) * 50000);
    }
}

}  // namespace

TEST(TelemetryHistory, CopiesWhatIsNewerOldestFirstAndWrapsWithALossCount) {
    auto history = std::make_unique<History>();
    std::vector<CradleTelemetrySample> out(kRing + 8);

    HistoryCopy copy = history->copySince(0, out.data(), out.size());
    EXPECT_EQ(copy.count, 0u);
    EXPECT_EQ(copy.newest, 0u);
    EXPECT_EQ(copy.lost, 0u);

    fileFrames(*history, 1, 3);
    copy = history->copySince(1, out.data(), out.size());
    ASSERT_EQ(copy.count, 2u);
    EXPECT_EQ(copy.newest, 3u);
    EXPECT_EQ(out[0].sequence, 2u);
    EXPECT_EQ(out[0].receivedUs, 100000);
    EXPECT_EQ(out[1].record[0], 3);
    EXPECT_EQ(out[1].record[CRADLE_TELEMETRY_A_SIZE - 1], 0xAB);
    EXPECT_EQ(out[1].record[CRADLE_TELEMETRY_A_SIZE], 0);  // beyond record A: zero, not stale bytes
    EXPECT_EQ(history->copySince(3, out.data(), out.size()).count, 0u);
    EXPECT_EQ(history->copySince(99, out.data(), out.size()).count, 0u);  // a sequence from elsewhere

    // Exactly full: nothing lost yet. One more: the oldest goes, and a reader at 0 is told so.
    fileFrames(*history, 4, kRing);
    copy = history->copySince(0, out.data(), out.size());
    EXPECT_EQ(copy.count, kRing);
    EXPECT_EQ(copy.lost, 0u);
    fileFrames(*history, kRing + 1, kRing + 1);
    copy = history->copySince(0, out.data(), out.size());
    EXPECT_EQ(copy.count, kRing);
    EXPECT_EQ(copy.lost, 1u);
    EXPECT_EQ(out[0].sequence, 2u);
    EXPECT_EQ(out[kRing - 1].sequence, kRing + 1);
    EXPECT_EQ(out[kRing - 1].receivedUs, int64_t(kRing + 1) * 50000);
}

TEST(TelemetryHistory, ALaggingReaderLosesTheOldestAndReadsTheRestInPieces) {
    auto history = std::make_unique<History>();
    std::vector<CradleTelemetrySample> out(100);
    fileFrames(*history, 1, 10);
    uint64_t seen = 10;
    fileFrames(*history, 11, 10 + kRing + 300);  // the reader sleeps through more than the ring

    HistoryCopy copy = history->copySince(seen, out.data(), out.size());
    EXPECT_EQ(copy.lost, 300u);
    EXPECT_EQ(copy.count, 100u);
    EXPECT_EQ(copy.newest, 10 + kRing + 300);
    EXPECT_EQ(out[0].sequence, seen + 301);
    uint64_t total = copy.count, lost = copy.lost;
    seen = out[copy.count - 1].sequence;
    while ((copy = history->copySince(seen, out.data(), out.size())).count > 0) {
        EXPECT_EQ(out[0].sequence, seen + 1);  // pieces join without a gap
        lost += copy.lost;
        total += copy.count;
        seen = out[copy.count - 1].sequence;
    }
    EXPECT_EQ(lost, 300u);
    EXPECT_EQ(total, kRing);
    EXPECT_EQ(seen, 10 + kRing + 300);
    EXPECT_EQ(history->copySince(seen, nullptr, 0).newest, seen);  // capacity 0 only asks for the newest
}
