// The soak run is only as good as its judges: growth must be caught when it is there and only then,
// a hung export must end the run, and a result an export never gives must be reported.
#include <gtest/gtest.h>

#include <thread>

#include "hang_watch.h"
#include "process_health.h"
#include "result_tally.h"

namespace {

using soak::HealthSample;

constexpr int kSteadyDescriptors = 11;
constexpr long kSteadyKiB = 4400;

// One sample a second for `seconds`, steady unless `change` alters it.
template <typename Change>
std::vector<HealthSample> series(int seconds, Change change) {
    std::vector<HealthSample> samples;
    for (int t = 1; t <= seconds; ++t) {
        HealthSample s{double(t), kSteadyDescriptors, kSteadyKiB, false};
        change(s);
        samples.push_back(s);
    }
    return samples;
}

std::optional<std::string> judge(const std::vector<HealthSample>& samples) {
    std::string summary;
    return soak::judgeGrowth(samples, summary);
}

TEST(SoakHealth, SteadyOrWobblingRunsPass) {
    EXPECT_FALSE(judge(series(600, [](HealthSample&) {})));
    // The port out now and then: fewer descriptors, a little allocator noise.
    EXPECT_FALSE(judge(series(600, [](HealthSample& s) {
        if (int(s.seconds) % 20 < 3) s.descriptors -= 2;
        s.residentKiB += int(s.seconds) % 7 * 30;
    })));
    // Start-up allocations before the baseline window are not growth either.
    EXPECT_FALSE(judge(series(600, [](HealthSample& s) {
        if (s.seconds < 30) s.residentKiB -= 2000;
    })));
}

TEST(SoakHealth, LeaksLateInTheRunFail) {
    const auto leakedDescriptor = judge(series(600, [](HealthSample& s) {
        if (s.seconds > 500) s.descriptors += 1;
    }));
    ASSERT_TRUE(leakedDescriptor);
    EXPECT_NE(leakedDescriptor->find("descriptors grew from 11 to 12"), std::string::npos);

    const auto creepingMemory = judge(series(600, [](HealthSample& s) { s.residentKiB += long(s.seconds) * 10; }));
    ASSERT_TRUE(creepingMemory);
    EXPECT_NE(creepingMemory->find("resident memory grew"), std::string::npos);

    // A short run, as the test command makes it, still sees a leak in its last quarter.
    EXPECT_TRUE(judge(series(30, [](HealthSample& s) {
        if (s.seconds > 25) s.descriptors += 3;
    })));
}

TEST(SoakHealth, TheRuntimeLogsDescriptorIsComparedOnlyWithItself) {
    // The log is open only late in the run: one more descriptor, but nothing to compare it with.
    EXPECT_FALSE(judge(series(600, [](HealthSample& s) {
        s.logOpen = s.seconds > 480;
        if (s.logOpen) s.descriptors += 1;
    })));
    // Open in both halves: two more than before in the last quarter is a leak.
    EXPECT_TRUE(judge(series(600, [](HealthSample& s) {
        s.logOpen = int(s.seconds) % 100 < 50;
        if (s.logOpen) s.descriptors += s.seconds > 450 ? 3 : 1;
    })));
}

TEST(SoakHangWatchDeathTest, AnExportPastItsDeadlineEndsTheRun) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            soak::HangWatch watch;
            watch.begin("UnitVersionInfo", std::chrono::milliseconds(20), std::chrono::milliseconds(10));
            std::this_thread::sleep_for(std::chrono::seconds(30));  // a call far past its deadline
        },
        testing::ExitedWithCode(soak::kExitHang), "hang: UnitVersionInfo took longer than");
}

TEST(SoakTally, ResultsAnExportNeverGivesAreReportedByName) {
    soak::ResultTally tally;
    tally.add(soak::startSpec(), 7);
    tally.add(soak::startSpec(), 8);
    tally.add(soak::startSpec(), 0);  // start answers with the unit's status, never with 0
    tally.add(soak::telemetryASpec(), 11);
    EXPECT_EQ(tally.calls(), 4u);
    ASSERT_EQ(tally.unexpected().size(), 1u);
    EXPECT_EQ(tally.unexpected()[0], "CradleStart gave 0");

    std::ostringstream report;
    tally.print(report);
    EXPECT_NE(report.str().find("CradleStart: 0=1 7=1 8=1"), std::string::npos);
    EXPECT_NE(report.str().find("all exports by result code: 0=1 7=1 8=1 11=1"), std::string::npos);
}

}  // namespace
