// Start, stop, calibration, mechanism firmware and telemetry against the simulated gimbal.
#include <array>
#include <cstring>
#include <utility>

#include "sim_fixture.h"

using namespace cradle_test;

namespace {

constexpr uint8_t kMechanism = 0x4E;
constexpr uint8_t kCalibrate = 0x25, kStop = 0x26, kStart = 0x27;

class ControlOps : public SimulatorTest {};

}  // namespace

TEST_F(ControlOps, StartAndStopReportTheUnitsStatusUnchanged) {
    EXPECT_EQ(CradleStart(), 7);
    EXPECT_TRUE(sim_.isRunning());
    EXPECT_EQ(CradleStop(), 7);
    EXPECT_FALSE(sim_.isRunning());
    sim_.setControlFault(kStart, 2, status(0xF0));
    EXPECT_EQ(CradleStart(), 8);
    sim_.setControlFault(kStop, 2, status(0xFF));
    EXPECT_EQ(CradleStop(), 9);
    sim_.setControlFault(kStart, 2, silent());
    EXPECT_EQ(CradleStart(), 2);
    sim_.setControlFault(kStop, 2, silent());
    EXPECT_EQ(CradleStop(), 2);
}

// 0 has no watching window; a type outside 0-5 is refused before anything is sent.
TEST_F(ControlOps, CalibrationTypesAtTheirLastValidAndFirstInvalidValues) {
    const std::pair<int, int> typeAndResult[] = {{-1, 4}, {0, 8}, {5, 0}, {6, 4}};
    for (const auto& [type, result] : typeAndResult) EXPECT_EQ(CradleCalibration(type), result) << "type " << type;
}

TEST_F(ControlOps, CalibrationOutcomes) {
    EXPECT_EQ(CradleCalibration(2), 0);  // accepted, then done (scaled to a few tens of ms)
    sim_.setControlFault(kCalibrate, 2, silent());
    EXPECT_EQ(CradleCalibration(1), 2);  // never accepted: no watching
    sim_.setControlFault(kCalibrate, 2, status(1, 1));
    EXPECT_EQ(CradleCalibration(3), 7);  // done at once is reported as such, not as 0
    sim_.setControlFault(kCalibrate, 2, status(0xFF, 1));
    EXPECT_EQ(CradleCalibration(1), 9);
}

TEST_F(ControlOps, CalibrationThatNeverFinishesEndsWithItsWindow) {
    sim_.setControlFault(kCalibrate, 2, status(0xF0));  // both replies say "in progress"
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CradleCalibration(1), 11);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 9900ms);
    EXPECT_LT(took, 30s);
}

TEST_F(ControlOps, MechanismFirmware) {
    EXPECT_EQ(CradleUpdateMechanismFirm(), 0);
    sim_.setFault(kMechanism, status(0xF0));
    EXPECT_EQ(CradleUpdateMechanismFirm(), 0);
    sim_.setFault(kMechanism, status(0xFF));
    EXPECT_EQ(CradleUpdateMechanismFirm(), 9);
    sim_.setFault(kMechanism, silent());
    EXPECT_EQ(CradleUpdateMechanismFirm(), 2);
}

TEST_F(ControlOps, TelemetryRecordsAreHandedOutWholeAndOutliveTheClose) {
    unsigned char a[CRADLE_TELEMETRY_A_BUFFER_SIZE], b[CRADLE_TELEMETRY_B_BUFFER_SIZE];
    std::memset(a, 0x77, sizeof a);
    EXPECT_EQ(GetLogCradleDataA(a), 11);
    EXPECT_EQ(GetLogCradleDataB(b), 11);
    EXPECT_EQ(a[0], 0x77);  // untouched
    EXPECT_EQ(GetLogCradleDataA(nullptr), 4);
    EXPECT_EQ(GetLogCradleDataB(nullptr), 4);
    std::array<uint8_t, CRADLE_TELEMETRY_A_SIZE> recordA;
    std::array<uint8_t, CRADLE_TELEMETRY_B_SIZE> recordB;
    for (size_t i = 0; i < recordA.size(); ++i) recordA[i] = static_cast<uint8_t>(i + 1);
    for (size_t i = 0; i < recordB.size(); ++i) recordB[i] = static_cast<uint8_t>(0xC0 + i);
    sim_.setTelemetryA(recordA);
    sim_.setTelemetryB(recordB);
    sim_.setTelemetryRate(50, 50);
    ASSERT_TRUE(eventually([&] { return GetLogCradleDataA(a) == 0 && GetLogCradleDataB(b) == 0; }));
    EXPECT_EQ(std::memcmp(a, recordA.data(), sizeof a), 0);
    EXPECT_EQ(std::memcmp(b, recordB.data(), sizeof b), 0);
    CSerialClosePort();
    std::memset(a, 0, sizeof a);
    EXPECT_EQ(GetLogCradleDataA(a), 0);
    EXPECT_EQ(std::memcmp(a, recordA.data(), sizeof a), 0);
}

TEST_F(ControlOps, TelemetryStreamingDoesNotDisturbExchanges) {
    sim_.setTelemetryRate(200, 200);
    unsigned char record[CRADLE_VERSION_RECORD_SIZE];
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(UnitVersionInfo(record), 0);
        EXPECT_EQ(CradleStart(), 7);
    }
}

// Read in small pieces while the parser files frames at 200 Hz: every sample once, in order, with the
// bytes of the frame; a wrong kind or a missing pointer is refused without touching anything.
TEST_F(ControlOps, TelemetryHistoryHandsOutEverySampleOnceWhileFramesArrive) {
    int count = -1;
    unsigned long long newest = 0, lost = 0;
    CradleTelemetrySample samples[7];
    EXPECT_EQ(GetCradleTelemetrySince(2, 0, samples, 7, &count, &newest, &lost), 4);
    EXPECT_EQ(GetCradleTelemetrySince(CRADLE_TELEMETRY_KIND_A, 0, samples, -1, &count, &newest, &lost), 4);
    EXPECT_EQ(GetCradleTelemetrySince(CRADLE_TELEMETRY_KIND_A, 0, nullptr, 1, &count, &newest, &lost), 4);
    EXPECT_EQ(GetCradleTelemetrySince(CRADLE_TELEMETRY_KIND_B, 0, samples, 7, nullptr, &newest, &lost), 4);
    EXPECT_EQ(count, -1);

    std::array<uint8_t, CRADLE_TELEMETRY_B_SIZE> recordB;
    for (size_t i = 0; i < recordB.size(); ++i) recordB[i] = static_cast<uint8_t>(0x40 + i);
    sim_.setTelemetryB(recordB);
    sim_.setTelemetryRate(200, 200);
    // The history is the process's: start after whatever came before this record.
    unsigned char latest[CRADLE_TELEMETRY_B_BUFFER_SIZE];
    ASSERT_TRUE(eventually([&] { return GetLogCradleDataB(latest) == 0 && std::memcmp(latest, recordB.data(), sizeof latest) == 0; }));
    ASSERT_EQ(GetCradleTelemetrySince(CRADLE_TELEMETRY_KIND_B, 0, nullptr, 0, &count, &newest, &lost), 0);
    unsigned long long after = newest;
    long long lastUs = 0;
    int seen = 0;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (seen < 300 && std::chrono::steady_clock::now() < deadline) {
        ASSERT_EQ(GetCradleTelemetrySince(CRADLE_TELEMETRY_KIND_B, after, samples, 7, &count, &newest, &lost), 0);
        EXPECT_EQ(lost, 0u);
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(samples[i].sequence, after + 1);
            EXPECT_GE(samples[i].receivedUs, lastUs);
            EXPECT_EQ(std::memcmp(samples[i].record, recordB.data(), recordB.size()), 0);
            after = samples[i].sequence;
            lastUs = samples[i].receivedUs;
        }
        seen += count;
        if (count == 0) std::this_thread::sleep_for(5ms);
    }
    EXPECT_GE(seen, 300);
    EXPECT_GE(newest, after);
    // Kind A ran alongside; after the close its history is still there.
    CSerialClosePort();
    EXPECT_EQ(GetCradleTelemetrySince(CRADLE_TELEMETRY_KIND_A, 0, samples, 0, &count, &newest, &lost), 0);
    EXPECT_GT(newest, 0u);
}
