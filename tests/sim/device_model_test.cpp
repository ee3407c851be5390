// The device model driven with request bytes: what each command answers and what it refuses.
#include <gtest/gtest.h>

#include <cmath>

#include "device_model.h"
#include "frames.h"
#include "gimbalsim/DemoMarker.h"
#include "telemetry.h"

using namespace gimbalsim;
using namespace simtest;

namespace {

class Model : public ::testing::Test {
protected:
    Options options;
    std::unique_ptr<DeviceModel> model;
    void SetUp() override { model = std::make_unique<DeviceModel>(options); }

    ModelResult send(const std::vector<uint8_t>& bytes) {
        wire::RequestReader reader;
        reader.feed(bytes.data(), bytes.size());
        auto req = reader.next();
        EXPECT_TRUE(req.has_value());
        return req ? model->handle(*req) : ModelResult{};
    }
    // The single reply's status byte, or -1 when there is not exactly one.
    int status(const std::vector<uint8_t>& bytes) {
        const ModelResult r = send(bytes);
        if (r.replies.size() != 1 || !headCrcOk(r.replies[0].bytes)) return -1;
        return r.replies[0].bytes[3];
    }
    void transfer(uint32_t unit, const std::vector<uint8_t>& image) {
        ASSERT_EQ(status(firmwareRequest(unit)), 1);
        const uint16_t count = uint16_t((image.size() + 255) / 256);
        for (uint16_t n = 1; n <= count; ++n) ASSERT_EQ(status(firmwareBlock(unit, image, n)), 1) << "block " << n;
        ASSERT_EQ(status(firmwareBlock(unit, image, 0, true)), 1);
    }
};

std::vector<uint8_t> pattern(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 7 + 3);
    return v;
}

}  // namespace

TEST(Wire, ChecksumsMatchTheirCheckValuesAndKnownFrames) {
    const uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(wire::crc16(digits, 9), 0xBB3D);
    EXPECT_EQ(wire::crc16(digits, 0), 0);
    EXPECT_EQ(wire::crc32(digits, 9), 0x0376E6E7u);
    const auto version = request(0x43);
    EXPECT_EQ(version[34], 0xC7);
    EXPECT_EQ(version[35], 0xBB);
    const auto closing = request(0x72, {0xFF});
    EXPECT_EQ(closing[34], 0xAD);
    EXPECT_EQ(closing[35], 0x67);
}

TEST(Wire, ReaderSkipsJunkAndBadFramesAndWaitsForExtensions) {
    wire::RequestReader reader;
    auto bad = request(0x43);
    bad[10] ^= 0xFF;
    const auto block = firmwareBlock(2, pattern(300), 1);
    std::vector<uint8_t> bytes;
    for (uint8_t junk : {0x00, 0x11, 0xEB}) bytes.push_back(junk);
    std::copy(bad.begin(), bad.end(), std::back_inserter(bytes));
    std::copy(block.begin(), block.end(), std::back_inserter(bytes));
    // Byte by byte: nothing is handed out until the whole long frame is in.
    for (size_t i = 0; i + 1 < bytes.size(); ++i) {
        reader.feed(&bytes[i], 1);
        ASSERT_FALSE(reader.next().has_value()) << "at byte " << i;
    }
    reader.feed(&bytes.back(), 1);
    auto req = reader.next();
    ASSERT_TRUE(req.has_value());
    EXPECT_EQ(req->command(), 0x45);
    EXPECT_EQ(req->extension.size(), 256u);
    EXPECT_TRUE(req->extensionCrcOk);
    EXPECT_EQ(req->whole, block);
    EXPECT_GE(reader.droppedBytes(), 3u);
}

TEST_F(Model, VersionPayloadListsTheUnits) {
    const ModelResult r = send(request(0x43));
    ASSERT_EQ(r.replies.size(), 1u);
    const auto& f = r.replies[0].bytes;
    ASSERT_EQ(f.size(), 36u + 25u + 2u);
    EXPECT_TRUE(headCrcOk(f));
    EXPECT_EQ(wire::get16(&f[3]), 25);
    const std::vector<uint8_t> payload(f.begin() + 36, f.end() - 2);
    EXPECT_EQ(wire::get16(&f[61]), wire::crc16(payload.data(), payload.size()));
    const std::vector<uint8_t> expected = {4, 1, 1, 1, 0, 0, 0, 2, 1, 1, 0, 0, 0, 4, 1, 1, 0, 0, 0, 8, 1, 1, 0, 0, 0};
    EXPECT_EQ(payload, expected);
}

TEST_F(Model, FirmwareImagesAreAcceptedInOrderWithTheirCrc) {
    const auto image512 = pattern(512), image257 = pattern(257);
    transfer(2, image512);
    EXPECT_EQ(model->firmwareImage(2), image512);
    transfer(8, image257);
    EXPECT_EQ(model->firmwareImage(8), image257);
    EXPECT_TRUE(model->firmwareImage(4).empty());
}

TEST_F(Model, FirmwareBlocksOutOfOrderOrDamagedAreRefused) {
    const auto image = pattern(700);
    EXPECT_EQ(status(firmwareBlock(2, image, 1)), 0xFE) << "no firmware request yet";
    EXPECT_EQ(status(firmwareRequest(16)), 0xFF) << "no such unit";
    ASSERT_EQ(status(firmwareRequest(2)), 1);
    EXPECT_EQ(status(firmwareBlock(4, image, 1)), 0xFE) << "another unit";
    EXPECT_EQ(status(firmwareBlock(2, image, 2)), 0xFE) << "skipped block 1";
    ASSERT_EQ(status(firmwareBlock(2, image, 1)), 1);
    auto damaged = firmwareBlock(2, image, 2);
    damaged[36 + 5] ^= 0x40;
    EXPECT_EQ(status(damaged), 0xFD);
    EXPECT_EQ(status(firmwareBlock(2, image, 0, true)), 0xFE) << "closing before the last block";
    ASSERT_EQ(status(firmwareBlock(2, image, 2)), 1);
    ASSERT_EQ(status(firmwareBlock(2, image, 3)), 1);
    // The head announces a CRC-32 the received bytes do not have.
    auto closing = firmwareBlock(2, image, 0, true);
    closing[12] ^= 1;
    wire::Head head;
    std::copy_n(closing.begin(), 36, head.begin());
    wire::sealHead(head);
    EXPECT_EQ(status({head.begin(), head.end()}), 0xFE) << "CRC differs from the blocks'";
    EXPECT_TRUE(model->firmwareImage(2).empty());
}

TEST_F(Model, WrongImageCrcIsRefusedAtTheClosingBlock) {
    auto image = pattern(300);
    ASSERT_EQ(status(firmwareRequest(1)), 1);
    // Every block announces a CRC-32 that does not match the image.
    auto withBadCrc = [&](std::vector<uint8_t> frame) {
        wire::put32(&frame[12], 0x12345678);
        wire::Head head;
        std::copy_n(frame.begin(), 36, head.begin());
        wire::sealHead(head);
        std::copy(head.begin(), head.end(), frame.begin());
        return frame;
    };
    ASSERT_EQ(status(withBadCrc(firmwareBlock(1, image, 1))), 1);
    ASSERT_EQ(status(withBadCrc(firmwareBlock(1, image, 2))), 1);
    EXPECT_EQ(status(withBadCrc(firmwareBlock(1, image, 0, true))), 0xFF);
    EXPECT_TRUE(model->firmwareImage(1).empty());
}

TEST_F(Model, StartApplicationRebootsAndReportsDemoVersions) {
    transfer(4, makeDemoImage(4, 3, 7, 1000));
    transfer(8, pattern(600));  // no marker: version unchanged
    const ModelResult r = send(request(0x46));
    EXPECT_TRUE(r.replies.empty());
    EXPECT_TRUE(r.rebooted);
    EXPECT_EQ(model->startApplicationCount(), 1);
    const auto payload = model->versionPayload();
    EXPECT_EQ(payload[1 + 6 * 2 + 2], 3);  // MY major
    EXPECT_EQ(payload[1 + 6 * 2 + 3], 7);
    EXPECT_EQ(payload[1 + 6 * 3 + 2], 1);  // MZ unchanged
    EXPECT_EQ(payload[1 + 6 * 3 + 3], 0);
}

TEST_F(Model, ParametersAreWrittenAndReadBack) {
    EXPECT_EQ(status(parameterWrite({{0, 9}, {5, 3}, {20, 2}})), 1);
    EXPECT_EQ(model->parameter(0), 9);
    EXPECT_EQ(model->parameter(5), 3);
    EXPECT_EQ(model->parameter(20), 2);
    EXPECT_EQ(status(request(0x72, {0xFF})), 1) << "closing write";

    const ModelResult r = send(parameterRead({20, 0, 5, 6}));
    ASSERT_EQ(r.replies.size(), 1u);
    const auto& f = r.replies[0].bytes;
    ASSERT_EQ(f.size(), 36u + 8u + 2u);
    EXPECT_EQ(f[3], 4);
    EXPECT_EQ(wire::get16(&f[36]), 2);
    EXPECT_EQ(wire::get16(&f[38]), 9);
    EXPECT_EQ(wire::get16(&f[40]), 3);
    EXPECT_EQ(wire::get16(&f[42]), 1);  // function 1 on channel 1 by default
    EXPECT_EQ(wire::get16(&f[44]), wire::crc16(&f[36], 8));
}

TEST_F(Model, StoreOtherAcceptsAPageButKeepsOtherValuesForItsCount) {
    Fault skew;
    skew.storeOther = true;
    skew.count = 1;
    model->setFault(0x72, skew);
    EXPECT_EQ(status(parameterWrite({{3, 2}, {7, 0xFFFF}})), 1) << "accepted like a good write";
    EXPECT_EQ(model->parameter(3), 3);
    EXPECT_EQ(model->parameter(7), 0) << "wraps";
    EXPECT_EQ(status(parameterWrite({{3, 2}})), 1);
    EXPECT_EQ(model->parameter(3), 2) << "count used up";
}

TEST_F(Model, UnknownParametersAreRefusedWithoutWritingAnything) {
    EXPECT_EQ(status(parameterWrite({{1, 4}, {21, 1}})), 0xFD);
    EXPECT_EQ(model->parameter(1), 1);
    EXPECT_EQ(status(parameterRead({3, 40})), 0xFD);
    auto damaged = parameterWrite({{1, 4}});
    damaged[36] ^= 1;
    EXPECT_EQ(status(damaged), 0xFE);
    EXPECT_EQ(model->parameter(1), 1);
    const ModelResult refusal = send(parameterRead({3, 40}));
    EXPECT_EQ(refusal.replies.at(0).bytes.size(), 36u) << "a refusal carries no values";
}

TEST_F(Model, ConfigurationItemsAreWrittenReadAndSavedPerUnit) {
    const std::vector<uint8_t> data = {1, 2, 3, 4, 5, 6, 7, 8};
    ModelResult r = send(control(2, 0x22, 1, data));
    ASSERT_EQ(r.replies.size(), 1u);
    EXPECT_EQ(r.replies[0].bytes[3], 0xF0);
    EXPECT_EQ(r.replies[0].bytes[4], 2);
    EXPECT_EQ(r.replies[0].bytes[5], 0x22);
    EXPECT_EQ(r.replies[0].bytes[6], 1);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(model->configRecord()[size_t(i)], data[size_t(i)]);
    EXPECT_NE(model->savedConfigRecord(), model->configRecord()) << "not saved before 0x24";

    // Item 7 belongs to units 4 and 8; both answer, each in its own frame.
    r = send(control(12, 0x22, 7, {31, 32, 33, 34, 35, 36, 99, 99}));
    ASSERT_EQ(r.replies.size(), 2u);
    EXPECT_EQ(r.replies[0].bytes[4], 4);
    EXPECT_EQ(r.replies[1].bytes[4], 8);
    EXPECT_EQ(model->configRecord()[37], 36);

    r = send(control(12, 0x23, 7));
    ASSERT_EQ(r.replies.size(), 2u);
    for (const auto& reply : r.replies) {
        EXPECT_EQ(reply.bytes[3], 1);
        EXPECT_EQ(std::vector<uint8_t>(reply.bytes.begin() + 7, reply.bytes.begin() + 15),
                  (std::vector<uint8_t>{31, 32, 33, 34, 35, 36, 0, 0}));
    }

    r = send(control(0x0E, 0x24));
    ASSERT_EQ(r.replies.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(r.replies[i].bytes[3], 1);
        EXPECT_EQ(r.replies[i].bytes[4], kUnitBits[i]);
        EXPECT_EQ(r.replies[i].bytes[5], 0x24);
    }
    EXPECT_EQ(model->savedConfigRecord(), model->configRecord());
}

TEST_F(Model, ConfigurationItemsAtTheWrongUnitAreRefused) {
    const auto before = model->configRecord();
    ModelResult r = send(control(4, 0x22, 1, {9, 9, 9, 9, 9, 9}));  // item 1 lives on unit 2
    ASSERT_EQ(r.replies.size(), 1u);
    EXPECT_EQ(r.replies[0].bytes[3], 0xFF);
    r = send(control(2, 0x23, 8));
    ASSERT_EQ(r.replies.size(), 1u);
    EXPECT_EQ(r.replies[0].bytes[3], 0xFF);
    EXPECT_EQ(model->configRecord(), before);
}

TEST_F(Model, CalibrationReportsDoneAfterItsScaledDuration) {
    options.timeScale = 0.01;
    SetUp();
    ModelResult r = send(control(2, 0x25, 0, {2}));
    ASSERT_EQ(r.replies.size(), 2u);
    EXPECT_EQ(r.replies[0].bytes[3], 0xF0);
    EXPECT_EQ(r.replies[0].delayMs, 0);
    EXPECT_EQ(r.replies[1].bytes[3], 1);
    EXPECT_EQ(r.replies[1].delayMs, 30);
    r = send(control(2, 0x25, 0, {4}));
    EXPECT_EQ(r.replies.at(1).delayMs, 200);
    r = send(control(2, 0x25, 0, {0}));
    ASSERT_EQ(r.replies.size(), 1u) << "type 0 never finishes";
    r = send(control(2, 0x25, 0, {6}));
    ASSERT_EQ(r.replies.size(), 1u);
    EXPECT_EQ(r.replies[0].bytes[3], 0xFF);

    // A late acceptance: done still follows it by the calibration's duration.
    Fault late;
    late.delayMs = 500;
    late.count = 1;
    model->setControlFault(0x25, 2, late);
    r = send(control(2, 0x25, 0, {1}));
    ASSERT_EQ(r.replies.size(), 2u);
    EXPECT_EQ(r.replies[0].bytes[3], 0xF0);
    EXPECT_EQ(r.replies[0].delayMs, 500);
    EXPECT_EQ(r.replies[1].bytes[3], 1);
    EXPECT_EQ(r.replies[1].delayMs, 530);

    // Scripted to answer done or error at once: no second report follows to confuse the next run.
    for (const int answer : {1, 0xFF}) {
        Fault atOnce;
        atOnce.status = answer;
        atOnce.count = 1;
        model->setControlFault(0x25, 2, atOnce);
        r = send(control(2, 0x25, 0, {1}));
        ASSERT_EQ(r.replies.size(), 1u) << "answered " << answer;
        EXPECT_EQ(r.replies[0].bytes[3], answer);
    }
    // A lost acceptance: the calibration still runs and reports done.
    Fault lost;
    lost.silent = true;
    lost.count = 1;
    model->setControlFault(0x25, 2, lost);
    r = send(control(2, 0x25, 0, {1}));
    ASSERT_EQ(r.replies.size(), 1u);
    EXPECT_EQ(r.replies[0].bytes[3], 1);
}

TEST_F(Model, StartStopAndMechanismFirmware) {
    EXPECT_EQ(status(control(2, 0x26)), 1);
    EXPECT_FALSE(model->isRunning());
    EXPECT_EQ(status(control(2, 0x27)), 1);
    EXPECT_TRUE(model->isRunning());
    EXPECT_EQ(status(request(0x4E)), 1);
}

TEST_F(Model, FaultsShapeRepliesForTheirCount) {
    Fault refuse;
    refuse.status = 0xFE;
    refuse.count = 1;
    model->setFault(0x44, refuse);
    EXPECT_EQ(status(firmwareRequest(2)), 0xFE);
    EXPECT_EQ(status(firmwareRequest(2)), 1) << "count used up";

    Fault shaped;
    shaped.delayMs = 250;
    shaped.noiseBytes = 5;
    shaped.split = true;
    shaped.corruptCrc = true;
    model->setFault(0x4E, shaped);
    for (int i = 0; i < 2; ++i) {
        const ModelResult r = send(request(0x4E));
        ASSERT_EQ(r.replies.size(), 1u);
        EXPECT_EQ(r.replies[0].delayMs, 250);
        EXPECT_EQ(r.replies[0].noiseBytes, 5);
        EXPECT_TRUE(r.replies[0].split);
        EXPECT_FALSE(headCrcOk(r.replies[0].bytes));
    }

    Fault silent;
    silent.silent = true;
    model->setFault(0x43, silent);
    EXPECT_TRUE(send(request(0x43)).replies.empty());
    model->clearFaults();
    EXPECT_EQ(send(request(0x43)).replies.size(), 1u);
}

TEST_F(Model, ControlFaultsHitOneUnitOnly) {
    Fault quiet;
    quiet.silent = true;
    model->setControlFault(0x24, 4, quiet);
    Fault error;
    error.status = 0xFF;
    model->setControlFault(0x24, 8, error);
    const ModelResult r = send(control(0x0E, 0x24));
    ASSERT_EQ(r.replies.size(), 2u);
    EXPECT_EQ(r.replies[0].bytes[4], 2);
    EXPECT_EQ(r.replies[0].bytes[3], 1);
    EXPECT_EQ(r.replies[1].bytes[4], 8);
    EXPECT_EQ(r.replies[1].bytes[3], 0xFF);
    EXPECT_TRUE(headCrcOk(r.replies[1].bytes));
}

TEST(Telemetry, RecordsDecodeToAConsistentAttitude) {
    for (double t : {0.0, 1.3, 7.9, 42.0}) {
        const auto a = telemetry::attitudeAt(t);
        const auto r = telemetry::recordA(t, 0);
        auto s16 = [&](size_t at) { return int16_t(wire::get16(&r[at])); };
        EXPECT_NEAR(s16(13) * 360.0 / 65536.0, a.rollDeg, 0.01);
        EXPECT_NEAR(s16(15) * 360.0 / 65536.0, a.pitchDeg, 0.01);
        EXPECT_NEAR(s16(17) * 360.0 / 65536.0, a.yawDeg, 0.01);
        EXPECT_NEAR(s16(5) / 65.5, 15.0, 0.02);
        // Gravity seen by the accelerometer stays one g whatever the attitude.
        const double ax = s16(7) / 204.8, ay = s16(9) / 204.8, az = s16(11) / 204.8;
        EXPECT_NEAR(std::sqrt(ax * ax + ay * ay + az * az), 10.0, 0.02);
        // The reported roll rate matches how the roll angle moves.
        const double dt = 1e-3;
        EXPECT_NEAR(s16(1) / 65.5, (telemetry::attitudeAt(t + dt).rollDeg - a.rollDeg) / dt, 0.1);
    }
}

TEST(Telemetry, ReceiverInputsStayInsideTheSbusRange) {
    telemetry::ReceiverContext context;
    for (double t = 0; t < 60; t += 0.37) {
        const auto r = telemetry::recordB(t, 0, context);
        for (int f = 0; f < 8; ++f) {
            const int v = wire::get16(&r[size_t(1 + 2 * f)]);
            EXPECT_GT(v, telemetry::kSbusMin);
            EXPECT_LT(v, telemetry::kSbusMax);
        }
        EXPECT_TRUE(r[25] == 1 || r[25] == 2);
        EXPECT_TRUE(r[27] == 0 || r[27] == 126 || r[27] == 127);
        EXPECT_EQ(r[30], 0);
    }
    context.signalLost = true;
    context.infraredCamera = true;
    const auto r = telemetry::recordB(3.0, 0, context);
    EXPECT_EQ(r[30], 1);
    EXPECT_TRUE(r[27] == 1 || r[27] == 2 || r[27] == 4 || r[27] == 8 || r[27] == 16);
}
