// Telemetry decoding at the edges of its scales, and the CSV layout with a write that fails.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <sstream>
#include <vector>

#include "telemetry.h"

using namespace procedures;

namespace {

std::vector<std::string> cells(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream s(line);
    for (std::string cell; std::getline(s, cell, ',');) out.push_back(cell);
    if (!line.empty() && line.back() == ',') out.emplace_back();
    return out;
}

TelemetrySample sampleOf(int kind, int64_t us, std::initializer_list<std::pair<size_t, uint8_t>> bytes) {
    TelemetrySample s;
    s.kind = kind;
    s.receivedUs = us;
    for (auto [at, value] : bytes) s.record[at] = value;
    return s;
}

}  // namespace

TEST(Telemetry, DecodesBothRecordsAndRefusesACutOne) {
    // rate X 655 -> 10 deg/s; accel Z 2048 -> 10 tenths = 1 g; roll 0xC000 -> -90; yaw 0x8000 -> -180.
    std::vector<uint8_t> a(CRADLE_TELEMETRY_A_SIZE, 0);
    a[1] = 0x8F, a[2] = 0x02;
    a[11] = 0x00, a[12] = 0x08;
    a[13] = 0x00, a[14] = 0xC0;
    a[17] = 0x00, a[18] = 0x80;
    const auto decoded = decodeTelemetryA(a);
    ASSERT_TRUE(decoded);
    EXPECT_FLOAT_EQ(decoded->rate[0], 10.0f);
    EXPECT_FLOAT_EQ(decoded->accelTenthG[2], 10.0f);
    EXPECT_FLOAT_EQ(decoded->accelG(2), 1.0f);
    EXPECT_FLOAT_EQ(decoded->attitude[0], -90.0f);
    EXPECT_FLOAT_EQ(decoded->attitude[2], -180.0f);
    EXPECT_FALSE(decodeTelemetryA(std::span(a).first(CRADLE_TELEMETRY_A_SIZE - 1)));

    std::vector<uint8_t> b(CRADLE_TELEMETRY_B_SIZE, 0);
    b[1] = 0x60, b[2] = 0x01;  // input of the mode function: 352
    b[17] = 0xFF;              // output of the mode function: -1
    b[27] = 0x7E;              // zooming in
    b[30] = 1;
    const auto receiver = decodeTelemetryB(b);
    ASSERT_TRUE(receiver);
    EXPECT_EQ(receiver->inputs[0], 352);
    EXPECT_EQ(receiver->outputs[0], -1);
    EXPECT_EQ(receiver->zoomStatus, 0x7E);
    EXPECT_TRUE(receiver->signalLost);
    EXPECT_FALSE(decodeTelemetryB(std::span(b).first(CRADLE_TELEMETRY_B_SIZE - 1)));
}

TEST(Telemetry, CsvHasUnitsInTheHeaderAndOneRowPerSampleOfEitherKind) {
    const std::vector<std::string> header = cells(telemetryCsvHeader());
    ASSERT_EQ(header.size(), 2u + 9u + 8u + 8u + 4u);
    EXPECT_EQ(header[0], "time_s");
    EXPECT_EQ(header[2], "roll_deg");
    EXPECT_EQ(header[5], "rate_x_deg_s");
    EXPECT_EQ(header[10], "accel_z_g");
    EXPECT_EQ(header.back(), "signal_lost");

    std::FILE* memory = std::tmpfile();
    ASSERT_NE(memory, nullptr);
    TelemetryCsvWriter writer(memory);
    EXPECT_TRUE(writer.writeHeader());
    EXPECT_TRUE(writer.writeSample(sampleOf(CRADLE_TELEMETRY_KIND_A, 1'250'000, {{13, 0x00}, {14, 0x40}}), 1'000'000));
    EXPECT_TRUE(writer.writeSample(sampleOf(CRADLE_TELEMETRY_KIND_B, 1'300'000, {{17, 0xFF}, {30, 1}}), 1'000'000));
    EXPECT_TRUE(writer.flush());
    EXPECT_EQ(writer.rows(), 2u);
    std::rewind(memory);
    std::string text;
    for (int c; (c = std::fgetc(memory)) != EOF;) text += char(c);
    std::fclose(memory);
    std::stringstream lines(text);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, telemetryCsvHeader());
    std::getline(lines, line);
    std::vector<std::string> row = cells(line);
    ASSERT_EQ(row.size(), header.size()) << line;
    EXPECT_EQ(row[0], "0.250");
    EXPECT_EQ(row[1], "A");
    EXPECT_EQ(row[2], "90.000");
    EXPECT_EQ(row[11], "");  // no receiver cells in a row of record A
    std::getline(lines, line);
    row = cells(line);
    ASSERT_EQ(row.size(), header.size()) << line;
    EXPECT_EQ(row[1], "B");
    EXPECT_EQ(row[2], "");
    EXPECT_EQ(row[19], "-1");  // output of the mode function
    EXPECT_EQ(row.back(), "1");
}

TEST(Telemetry, AFullDiskIsReportedAndNothingMoreIsWritten) {
    std::FILE* full = std::fopen("/dev/full", "w");
    if (!full) GTEST_SKIP() << "no /dev/full on this system";
    TelemetryCsvWriter writer(full);
    writer.writeHeader();  // buffered: the disk says no when the buffer goes out
    EXPECT_FALSE(writer.flush());
    EXPECT_TRUE(writer.failed());
    EXPECT_EQ(writer.error(), ENOSPC);
    EXPECT_FALSE(writer.writeSample(sampleOf(CRADLE_TELEMETRY_KIND_A, 0, {}), 0));
    EXPECT_EQ(writer.rows(), 0u);
    std::fclose(full);
}
